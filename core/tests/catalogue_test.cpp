// Checks the built-in catalogue: the shape of every map, the cell counts and
// start cells of the count table, the two maps whose layout is fixed, and
// that every map's reference program clears it, walked by a small local
// robot that follows the motion rules.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <string_view>

#include "catalogue.hpp"
#include "tests/reference_programs.hpp"

namespace {

constexpr int kSide = 25;

struct Expected {
  std::string_view id;
  int targets;
  int gray;
  int walls;
  int floor;  // without the start cell
  int start_x;
  int start_y;
};

constexpr std::array<Expected, 18> kExpected = {{
    {"0001", 1, 0, 16, 607, 13, 13},   {"0002", 5, 63, 0, 556, 13, 13},
    {"0003", 4, 4, 84, 532, 13, 13},   {"0004", 8, 16, 0, 600, 13, 13},
    {"0005", 4, 4, 24, 592, 13, 13},   {"0006", 36, 22, 240, 326, 1, 25},
    {"0007", 51, 254, 0, 319, 13, 14}, {"0008", 49, 38, 230, 307, 1, 25},
    {"0009", 312, 312, 0, 0, 13, 13},  {"0010", 68, 48, 260, 248, 13, 13},
    {"0743", 13, 16, 4, 591, 13, 14},  {"0745", 245, 137, 0, 242, 1, 25},
    {"0747", 20, 20, 0, 584, 13, 13},  {"0748", 20, 49, 120, 435, 19, 19},
    {"0801", 8, 16, 32, 568, 13, 13},  {"0803", 109, 200, 0, 315, 11, 10},
    {"0805", 120, 144, 0, 360, 13, 13}, {"0806", 240, 384, 0, 0, 22, 16},
}};

char Cell(std::string_view map, int x, int y) {
  return map[static_cast<std::size_t>((y - 1) * kSide + (x - 1))];
}

std::string_view Row(std::string_view map, int y) {
  return map.substr(static_cast<std::size_t>((y - 1) * kSide), kSide);
}

// A small walker with the robot's rules: every command is one step, the
// command numbered msteps or later is refused, walls (and the border) keep
// the robot in place, a gray cell wipes the collection and ends the run when
// entered after step mlastfail, a target counts once per collection, and the
// step that collects the last target clears the map.
struct WalkResult {
  bool cleared = false;
  int steps = 0;  // the clearing step, or the step that ended the run
};

WalkResult Walk(std::string_view map, std::string_view commands, int msteps,
                int mlastfail) {
  constexpr std::array<int, 4> dx = {1, 0, -1, 0};
  constexpr std::array<int, 4> dy = {0, -1, 0, 1};
  constexpr std::array<int, 4> rvect = {3, 0, 1, 2};
  constexpr std::array<int, 4> lvect = {1, 2, 3, 0};

  int x = 0;
  int y = 0;
  int mappts = 0;
  for (int p = 0; p < kSide * kSide; ++p) {
    if (map[static_cast<std::size_t>(p)] == 'u') {
      x = p % kSide + 1;
      y = p / kSide + 1;
    } else if (map[static_cast<std::size_t>(p)] == 'o') {
      ++mappts;
    }
  }
  std::array<int, kSide * kSide> collected{};
  int vect = 1;
  int steps = 0;
  int getpts = 0;
  int lastfail = 1;
  WalkResult result;
  for (char command : commands) {
    ++steps;
    result.steps = steps;
    if (steps >= msteps) return result;
    if (command == 'r') {
      vect = rvect[static_cast<std::size_t>(vect)];
      continue;
    }
    if (command == 'l') {
      vect = lvect[static_cast<std::size_t>(vect)];
      continue;
    }
    if (command != 's') continue;
    const int nx = x + dx[static_cast<std::size_t>(vect)];
    const int ny = y + dy[static_cast<std::size_t>(vect)];
    if (nx < 1 || nx > kSide || ny < 1 || ny > kSide) continue;
    const char c = Cell(map, nx, ny);
    if (c == 'x') continue;
    x = nx;
    y = ny;
    if (c == '*') {
      lastfail = steps;
      getpts = 0;
      if (lastfail > mlastfail) return result;
    } else if (c == 'o') {
      int& at = collected[static_cast<std::size_t>((y - 1) * kSide + (x - 1))];
      if (at < lastfail) {
        at = steps;
        ++getpts;
        if (getpts >= mappts) {
          result.cleared = true;
          return result;
        }
      }
    }
  }
  return result;
}

int EnteredBytes(const solver::testdata::ReferenceProgram& ref) {
  int total = 0;
  for (std::string_view slot : ref.slots) total += static_cast<int>(slot.size());
  if (ref.program == "solver3") return total + 6;
  if (ref.program == "solver2") return total + 5;
  if (ref.program == "solver1") return total + 4;
  if (ref.program == "solvercount") return total + 8;
  return total + 8 + std::abs(ref.A) + std::abs(ref.C);
}

TEST(Catalogue, IdsInListingOrder) {
  ASSERT_EQ(solver::kCatalogue.size(), kExpected.size());
  for (std::size_t i = 0; i < kExpected.size(); ++i) {
    EXPECT_EQ(solver::kCatalogue[i].id, kExpected[i].id);
  }
}

TEST(Catalogue, EveryMapHasTheTableCounts) {
  for (std::size_t i = 0; i < kExpected.size(); ++i) {
    const auto& entry = solver::kCatalogue[i];
    const auto& want = kExpected[i];
    SCOPED_TRACE(std::string(entry.id));
    ASSERT_EQ(entry.map.size(), 625u);
    EXPECT_EQ(entry.map.find_first_not_of(".o*xu"), std::string_view::npos);
    auto count = [&](char c) {
      return static_cast<int>(std::count(entry.map.begin(), entry.map.end(), c));
    };
    EXPECT_EQ(count('u'), 1);
    EXPECT_EQ(count('o'), want.targets);
    EXPECT_EQ(count('*'), want.gray);
    EXPECT_EQ(count('x'), want.walls);
    EXPECT_EQ(count('.'), want.floor);
    const auto p = static_cast<int>(entry.map.find('u'));
    EXPECT_EQ(p % kSide + 1, want.start_x);
    EXPECT_EQ(p / kSide + 1, want.start_y);
  }
}

TEST(Catalogue, Map0001IsTheWalledCorridor) {
  const std::string_view map = solver::kCatalogue[0].map;
  EXPECT_EQ(Row(map, 8), "...........xxx...........");
  EXPECT_EQ(Row(map, 9), "...........xox...........");
  for (int y = 10; y <= 12; ++y) {
    EXPECT_EQ(Row(map, y), "...........x.x...........") << "row " << y;
  }
  EXPECT_EQ(Row(map, 13), "...........xux...........");
  EXPECT_EQ(Row(map, 14), "...........xxx...........");
  for (int y : {1, 2, 3, 4, 5, 6, 7, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25}) {
    EXPECT_EQ(Row(map, y), std::string(kSide, '.')) << "row " << y;
  }
}

TEST(Catalogue, Map0004IsTheLattice) {
  const std::string_view map = solver::kCatalogue[3].map;
  auto in = [](int v, std::initializer_list<int> set) {
    return std::find(set.begin(), set.end(), v) != set.end();
  };
  for (int y = 1; y <= kSide; ++y) {
    for (int x = 1; x <= kSide; ++x) {
      char want = '.';
      if (in(x, {1, 9, 17, 25}) && in(y, {1, 9, 17, 25})) {
        want = '*';
      } else if (x == 13 && y == 13) {
        want = 'u';
      } else if (in(x, {5, 13, 21}) && in(y, {5, 13, 21})) {
        want = 'o';
      }
      EXPECT_EQ(Cell(map, x, y), want) << "column " << x << ", row " << y;
    }
  }
}

TEST(Catalogue, Map0003HasTheGrayCellAboveTheStart) {
  const std::string_view map = solver::kCatalogue[2].map;
  EXPECT_EQ(Cell(map, 13, 11), '*');
  EXPECT_EQ(Cell(map, 13, 12), '.');
}

TEST(Catalogue, OpenFloorOnlyAtTheStartWhereTheTableHasNone) {
  for (std::size_t i : {8u, 17u}) {
    const std::string_view map = solver::kCatalogue[i].map;
    EXPECT_EQ(map.find('.'), std::string_view::npos) << solver::kCatalogue[i].id;
  }
}

TEST(ReferencePrograms, OnePerMapInCatalogueOrder) {
  using solver::testdata::kReferencePrograms;
  ASSERT_EQ(kReferencePrograms.size(), solver::kCatalogue.size());
  for (std::size_t i = 0; i < kReferencePrograms.size(); ++i) {
    const auto& ref = kReferencePrograms[i];
    EXPECT_EQ(ref.id, solver::kCatalogue[i].id);
    EXPECT_EQ(ref.entered_bytes, EnteredBytes(ref)) << ref.id;
    EXPECT_TRUE(ref.program == "solver3" || ref.program == "solver2" ||
                ref.program == "solver1" || ref.program == "solvercount" ||
                ref.program == "solverlinear")
        << ref.id;
    EXPECT_EQ(ref.commands.find_first_not_of("srl"), std::string_view::npos)
        << ref.id;
  }
}

TEST(ReferencePrograms, TemplatesAreSpreadOverTheCatalogue) {
  int count = 0;
  int linear = 0;
  int fixed = 0;
  for (const auto& ref : solver::testdata::kReferencePrograms) {
    count += ref.program == "solvercount";
    linear += ref.program == "solverlinear";
    fixed += ref.program == "solver3" || ref.program == "solver2" ||
             ref.program == "solver1";
  }
  EXPECT_GE(count, 2);
  EXPECT_GE(linear, 2);
  EXPECT_EQ(count + linear + fixed, 18);
}

TEST(ReferencePrograms, CommandsClearExactlyOnTheLastCommand) {
  using solver::testdata::kReferencePrograms;
  for (std::size_t i = 0; i < kReferencePrograms.size(); ++i) {
    const auto& ref = kReferencePrograms[i];
    const std::string_view map = solver::kCatalogue[i].map;
    SCOPED_TRACE(std::string(ref.id));
    const int length = static_cast<int>(ref.commands.size());
    EXPECT_EQ(ref.msteps, length + 1);

    const WalkResult ok = Walk(map, ref.commands, ref.msteps, ref.mlastfail);
    EXPECT_TRUE(ok.cleared);
    EXPECT_EQ(ok.steps, length);

    // Every proper prefix falls short of a clear.
    const WalkResult short_run =
        Walk(map, ref.commands.substr(0, ref.commands.size() - 1), ref.msteps,
             ref.mlastfail);
    EXPECT_FALSE(short_run.cleared);

    // One step less and the clearing command is refused.
    const WalkResult tight =
        Walk(map, ref.commands, ref.msteps - 1, ref.mlastfail);
    EXPECT_FALSE(tight.cleared);
    EXPECT_EQ(tight.steps, length);
  }
}

TEST(ReferencePrograms, Map0003EntersTheGrayCellOnTheSecondStep) {
  const auto& ref = solver::testdata::kReferencePrograms[2];
  ASSERT_EQ(ref.id, "0003");
  EXPECT_EQ(ref.commands.substr(0, 2), "ss");
  EXPECT_GE(ref.mlastfail, 2);
  const std::string_view map = solver::kCatalogue[2].map;
  const WalkResult blocked = Walk(map, ref.commands, ref.msteps, 1);
  EXPECT_FALSE(blocked.cleared);
  EXPECT_EQ(blocked.steps, 2);
}

}  // namespace
