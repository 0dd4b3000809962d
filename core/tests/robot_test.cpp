#include "robot.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <string>

#include "catalogue.hpp"
#include "console_harness.hpp"
#include "reference_programs.hpp"

namespace solver {
namespace {

Grid load(std::string_view id) {
  testing::ConsoleHarness h;
  Grid g;
  for (const auto& e : kCatalogue)
    if (e.id == id) load_map(h.c, g, e.map);
  g.mapname = std::string(id);
  return g;
}

// A grid from rows drawn around the start, for cases no catalogue map shows.
Grid custom(std::initializer_list<std::pair<std::pair<int, int>, char>> cells) {
  std::string map(625, '.');
  map[12 * 25 + 12] = 'u';
  for (const auto& [xy, ch] : cells) map[(xy.second - 1) * 25 + (xy.first - 1)] = ch;
  testing::ConsoleHarness h;
  Grid g;
  load_map(h.c, g, map);
  return g;
}

struct FreshRun {
  Robot r;
  FreshRun(const Grid& g, int msteps, int mlastfail) {
    r.bind(g, msteps, mlastfail);
    r.reset();
  }
};

// The command code of each byte, as the engine's streams of characters use.
std::array<std::uint8_t, 256> command_codes() {
  std::array<std::uint8_t, 256> op{};
  op['s'] = kGo;
  op['r'] = kRight;
  op['l'] = kLeft;
  return op;
}

TEST(Robot, ClearsMap0001OnTheFourthStep) {
  const Grid g = load("0001");
  FreshRun run(g, 5, 0);
  EXPECT_EQ(run.r.go_straight(), 0);
  EXPECT_EQ(run.r.go_straight(), 0);
  EXPECT_EQ(run.r.go_straight(), 0);
  EXPECT_EQ(run.r.go_straight(), -1);
  EXPECT_TRUE(run.r.cleared);
  EXPECT_EQ(run.r.steps, 4);
  EXPECT_EQ(run.r.y, 9);
}

TEST(Robot, StepLimitRefusesCommandNumberN) {
  const Grid g = load("0001");
  FreshRun run(g, 4, 0);
  EXPECT_EQ(jikkoujj(run.r, "sss"), 0);
  EXPECT_EQ(run.r.go_straight(), -1);
  EXPECT_FALSE(run.r.cleared);
  EXPECT_EQ(run.r.y, 10);  // the refused step does not move
  FreshRun one(g, 1, 0);
  EXPECT_EQ(one.r.turn_left(), -1);
  EXPECT_EQ(one.r.vect, 1);
  FreshRun two(g, 1, 0);
  EXPECT_EQ(two.r.go_straight(), -1);
  EXPECT_EQ(two.r.y, 13);
}

TEST(Robot, WallCostsAStepAndKeepsThePlace) {
  const Grid g = load("0001");
  FreshRun run(g, 100, 0);
  EXPECT_EQ(run.r.turn_right(), 0);
  EXPECT_EQ(run.r.steps, 1);
  EXPECT_EQ(run.r.go_straight(), 0);
  EXPECT_EQ(run.r.steps, 2);
  EXPECT_EQ(run.r.x, 13);
  EXPECT_EQ(run.r.y, 13);
}

TEST(Robot, BorderIsAWall) {
  const Grid g = load("0004");
  FreshRun run(g, 100, 0);
  EXPECT_EQ(jikkoujj(run.r, "ssssssssssss"), 0);  // up to row 1
  EXPECT_EQ(run.r.y, 1);
  EXPECT_EQ(run.r.go_straight(), 0);
  EXPECT_EQ(run.r.y, 1);
}

TEST(Robot, TurnsComposeAsOnTheMap) {
  const Grid g = load("0001");
  FreshRun run(g, 100, 0);
  for (int i = 0; i < 4; ++i) run.r.turn_right();
  EXPECT_EQ(run.r.vect, 1);
  for (int i = 0; i < 4; ++i) run.r.turn_left();
  EXPECT_EQ(run.r.vect, 1);
  run.r.turn_right();
  EXPECT_EQ(run.r.vect, 0);
  run.r.turn_left();
  EXPECT_EQ(run.r.vect, 1);
  run.r.turn_left();
  EXPECT_EQ(run.r.vect, 2);
}

TEST(Robot, GrayCellWipesAndHasItsLimit) {
  // Gray cell two above the start, as in map 0003.
  const Grid g = custom({{{13, 11}, '*'}, {{13, 12}, '.'}, {{13, 10}, 'o'}, {{20, 20}, 'o'}});
  FreshRun late(g, 100, 1);
  EXPECT_EQ(late.r.go_straight(), 0);
  EXPECT_EQ(late.r.go_straight(), -1);
  FreshRun ok(g, 100, 2);
  EXPECT_EQ(ok.r.go_straight(), 0);
  EXPECT_EQ(ok.r.go_straight(), 0);
  EXPECT_EQ(ok.r.lastfail, 2);
  EXPECT_EQ(ok.r.getpts, 0);
  FreshRun none(g, 100, 0);
  EXPECT_EQ(none.r.go_straight(), 0);
  EXPECT_EQ(none.r.go_straight(), -1);
  FreshRun negative(g, 100, -7);
  negative.r.go_straight();
  EXPECT_EQ(negative.r.go_straight(), -1);
}

TEST(Robot, TargetCountsAgainOnlyAfterAGrayCell) {
  // Target above the start, gray cell above the target.
  const Grid g = custom({{{13, 12}, 'o'}, {{13, 11}, '*'}, {{1, 1}, 'o'}});
  FreshRun run(g, 100, 100);
  EXPECT_EQ(run.r.go_straight(), 0);  // collect
  EXPECT_EQ(run.r.getpts, 1);
  EXPECT_EQ(run.r.go_straight(), 0);  // gray: wiped
  EXPECT_EQ(run.r.getpts, 0);
  jikkoujj(run.r, "rr");
  EXPECT_EQ(run.r.go_straight(), 0);  // the same target again
  EXPECT_EQ(run.r.getpts, 1);
  jikkoujj(run.r, "rr");
  run.r.go_straight();  // gray again
  jikkoujj(run.r, "rr");
  run.r.go_straight();
  EXPECT_EQ(run.r.getpts, 1);
  run.r.go_straight();  // off the target, then back without a gray cell
  jikkoujj(run.r, "rr");
  run.r.go_straight();
  EXPECT_EQ(run.r.getpts, 1);
}

TEST(Robot, ResetRestoresEveryField) {
  const Grid g = load("0004");
  FreshRun run(g, 1000, 1000);
  jikkoujj(run.r, "ssssssssrs");
  run.r.reset();
  EXPECT_EQ(run.r.steps, 0);
  EXPECT_EQ(run.r.x, 13);
  EXPECT_EQ(run.r.y, 13);
  EXPECT_EQ(run.r.vect, 1);
  EXPECT_EQ(run.r.getpts, 0);
  EXPECT_EQ(run.r.lastfail, 1);
  EXPECT_FALSE(run.r.cleared);
  for (int x = 1; x <= 25; ++x)
    for (int y = 1; y <= 25; ++y) EXPECT_EQ(run.r.collected_at(x, y), 0);
}

TEST(Robot, PlainExecutionSkipsOtherCharactersAndStopsAtTheFirstFailure) {
  const Grid g = load("0001");
  FreshRun run(g, 3, 0);
  EXPECT_EQ(jikkoujj(run.r, "XsYZs"), 0);
  EXPECT_EQ(run.r.steps, 2);
  EXPECT_EQ(jikkoujj(run.r, "rrrr"), -1);
  EXPECT_EQ(run.r.steps, 3);
  EXPECT_EQ(run.r.vect, 1);
}

TEST(Robot, EveryCatalogueMapIsClearedByItsReferenceCommands) {
  for (const auto& ref : testdata::kReferencePrograms) {
    const Grid g = load(ref.id);
    for (const bool prune : {false, true}) {
      FreshRun at(g, ref.msteps, ref.mlastfail);
      at.r.prune = prune;
      at.r.reset();
      EXPECT_EQ(jikkoujj(at.r, ref.commands), -1) << ref.id;
      EXPECT_TRUE(at.r.cleared) << ref.id;
      EXPECT_EQ(at.r.steps, static_cast<int>(ref.commands.size())) << ref.id;
      FreshRun short_of(g, ref.msteps - 1, ref.mlastfail);
      short_of.r.prune = prune;
      short_of.r.reset();
      jikkoujj(short_of.r, ref.commands);
      EXPECT_FALSE(short_of.r.cleared) << ref.id;
      // The fast loop, counted or not, walls by the table or not, targets
      // swept or not: no slack at all, so a bound that asks one move too
      // many stops the run.
      const std::array<std::uint8_t, 256> op = command_codes();
      for (const int way : {0, 1, 2, 3, 4, 5}) {
        const bool counted = way % 2 == 1;
        FreshRun fast(g, ref.msteps, ref.mlastfail);
        fast.r.prune = prune;
        fast.r.walls_judged = true;
        fast.r.walls_by_table = way == 2 || way == 3;
        fast.r.collections_judged = true;
        fast.r.collections_swept = way >= 4;
        fast.r.reset();
        if (counted) fast.r.goes_left = std::count(ref.commands.begin(), ref.commands.end(), 's');
        EXPECT_EQ(fast.r.run_mapped(ref.commands.data(), ref.commands.size(), op.data()), -1)
            << ref.id;
        EXPECT_TRUE(fast.r.cleared) << ref.id << " way " << way;
        EXPECT_EQ(fast.r.steps, static_cast<int>(ref.commands.size())) << ref.id;
      }
    }
  }
}

// The fast loop against the motion operations, on every catalogue map, with
// the gray-cell rule on and off, with and without pruning, counted or not,
// walls by the table or not, targets swept or not, the commands handed over
// in pieces, many runs on one robot (collections of earlier runs must not
// leak into later ones, whichever way either ran).
// Without pruning it must end exactly as the operations do; with pruning it
// may only end failed runs sooner.
TEST(Robot, FastLoopEndsRunsAsTheMotionOperationsDo) {
  std::mt19937 rng(20261209);
  const std::array<std::uint8_t, 256> op = command_codes();
  int clears = 0;
  int pruned_sooner = 0;
  int swept = 0;
  for (const auto& e : kCatalogue) {
    const Grid g = load(e.id);
    for (const int msteps : {12, 60, 250}) {
      for (const int gray_limit : {0, msteps / 3, msteps}) {
        Robot fast;
        fast.bind(g, msteps, gray_limit);
        fast.walls_judged = true;
        fast.collections_judged = true;
        for (int run = 0; run < 40; ++run) {
          fast.walls_by_table = run % 4 < 2;
          fast.collections_swept = run % 3 == 1;
          std::string cmds;
          const auto n = static_cast<std::size_t>(rng() % static_cast<unsigned>(msteps + 20));
          for (std::size_t i = 0; i < n; ++i) cmds.push_back("ssssrl"[rng() % 6]);
          FreshRun literal(g, msteps, gray_limit);
          const int literal_rc = jikkoujj(literal.r, cmds);
          fast.prune = run % 3 != 0;
          fast.reset();
          swept += fast.swept() ? 1 : 0;
          if (run % 2 == 0) {
            // Counted: the forward commands of those the step limit lets begin.
            const std::size_t runnable =
                std::min(cmds.size(), static_cast<std::size_t>(msteps - 1));
            fast.goes_left =
                std::count(cmds.begin(), cmds.begin() + static_cast<long>(runnable), 's');
          }
          int rc = 0;
          for (std::size_t at = 0; at < cmds.size() && rc == 0;) {
            const std::size_t piece = std::min<std::size_t>(cmds.size() - at, 1 + rng() % 40);
            rc = fast.run_mapped(cmds.data() + at, piece, op.data());
            at += piece;
          }
          const std::string where = std::string(e.id) + " msteps " + std::to_string(msteps) +
                                    " gray " + std::to_string(gray_limit) + " run " +
                                    std::to_string(run) + " " + cmds;
          ASSERT_EQ(fast.cleared, literal.r.cleared) << where;
          if (literal.r.cleared || !fast.prune) {
            ASSERT_EQ(rc, literal_rc) << where;
            ASSERT_EQ(fast.steps, literal.r.steps) << where;
            ASSERT_EQ(fast.x, literal.r.x) << where;
            ASSERT_EQ(fast.y, literal.r.y) << where;
            ASSERT_EQ(fast.vect, literal.r.vect) << where;
            ASSERT_EQ(fast.getpts, literal.r.getpts) << where;
            clears += literal.r.cleared ? 1 : 0;
          } else {
            ASSERT_LE(fast.steps, literal.r.steps) << where;
            if (rc == -1 && literal_rc == 0) ++pruned_sooner;
          }
        }
      }
    }
  }
  // The random runs do reach both kinds of end, and sweep.
  EXPECT_GT(clears, 0);
  EXPECT_GT(pruned_sooner, 0);
  EXPECT_GT(swept, 100);
}

TEST(Robot, PruningStopsOnlyRunsThatCannotClear) {
  // Map 0004: eight targets.  With 20 steps allowed, eight targets are
  // still reachable in principle until fewer commands than targets are left.
  const Grid g = load("0004");
  FreshRun run(g, 20, 0);
  run.r.prune = true;
  run.r.reset();
  EXPECT_EQ(jikkoujj(run.r, "rrrrrrrrrrrr"), 0);  // the 12th still leaves 8 commands
  EXPECT_EQ(run.r.turn_right(), -1);              // 7 commands for 8 targets
  FreshRun literal(g, 20, 0);
  EXPECT_EQ(jikkoujj(literal.r, "rrrrrrrrrrrrrrrrrrr"), 0);
  EXPECT_EQ(literal.r.turn_right(), -1);  // only the step limit
}

// Two targets four and eight cells above the start of an open map, with a
// wall between them that the second leg must go round.
Grid two_targets_round_a_wall() {
  return custom({{{13, 9}, 'o'}, {{13, 5}, 'o'}, {{13, 7}, 'x'}, {{12, 7}, '*'}});
}

TEST(TargetBounds, DistancesGoRoundWallsAndGrayCells) {
  const Grid g = two_targets_round_a_wall();
  const TargetBounds& b = g.bounds;
  ASSERT_TRUE(b.ready);
  // (13,9) to (13,5): round the wall at (13,7) on the right, since (12,7)
  // is gray: 6 forward moves.
  EXPECT_EQ(b.mst, 6);
  EXPECT_EQ(b.near[13][13], 4);  // the start to (13,9)
  EXPECT_EQ(b.near[13][9], 6);   // a target's nearest other target
  EXPECT_EQ(b.near[13][8], 1);
  EXPECT_EQ(b.nn[static_cast<std::size_t>(b.target[13][9])][0], 6);
  EXPECT_EQ(b.nn[static_cast<std::size_t>(b.target[13][9])][1], TargetBounds::kFar);
  EXPECT_EQ(b.target[13][13], -1);
  // With one of the two collected, the other needs nothing beyond near.
  const int first = b.target[13][9];
  EXPECT_EQ(b.rest(&first, 0), 6);
  EXPECT_EQ(b.rest(&first, 1), 0);
}

TEST(TargetBounds, RunsStopOnlyWhenTheyCanNoLongerReachEveryTarget) {
  const Grid g = two_targets_round_a_wall();
  // The shortest clear: up to (13,9), then round the wall on the right to
  // (13,5): 10 forward moves and 4 turns.
  const std::string clear = "sssssrslsslsrs";
  for (const bool prune : {false, true}) {
    // Exactly enough commands: the pruned run clears at the same step.
    FreshRun at(g, static_cast<int>(clear.size()) + 1, 0);
    at.r.prune = prune;
    at.r.reset();
    EXPECT_EQ(jikkoujj(at.r, clear), -1);
    EXPECT_TRUE(at.r.cleared);
    EXPECT_EQ(at.r.steps, static_cast<int>(clear.size()));
  }
  // Six turns first: 14 commands allowed cannot hold 6 + 14.  At the first
  // forward move (step 7, three cells below the first target) the bound
  // asks for 3 + 6 more forward moves with 7 commands left: the pruned run
  // stops there, the literal one only at the step limit.
  FreshRun pruned(g, 15, 0);
  pruned.r.prune = true;
  pruned.r.reset();
  EXPECT_EQ(jikkoujj(pruned.r, "rlrlrl" + clear), -1);
  EXPECT_FALSE(pruned.r.cleared);
  EXPECT_EQ(pruned.r.steps, 7);
  FreshRun literal(g, 15, 0);
  EXPECT_EQ(jikkoujj(literal.r, "rlrlrl" + clear), -1);
  EXPECT_FALSE(literal.r.cleared);
  EXPECT_EQ(literal.r.steps, 15);
}

TEST(TargetBounds, OnlyWhileGrayCellsEndTheRun) {
  // A gray cell may be entered (limit 5): the collection can start again
  // after it, so the distances no longer bound the run; only the count of
  // targets does, and the run above goes on.
  const Grid g = two_targets_round_a_wall();
  FreshRun run(g, 15, 5);
  run.r.prune = true;
  run.r.reset();
  EXPECT_EQ(jikkoujj(run.r, "rlrlrlssss"), 0);
  EXPECT_EQ(run.r.steps, 10);
}

TEST(TargetBounds, ATargetOutOfReachStopsEveryMove) {
  // (13,9) walled in: no run can clear, so the first forward move stops it.
  const Grid g = custom({{{13, 9}, 'o'},
                         {{13, 3}, 'o'},
                         {{13, 8}, 'x'},
                         {{13, 10}, 'x'},
                         {{12, 9}, 'x'},
                         {{14, 9}, 'x'}});
  FreshRun run(g, 1000, 0);
  run.r.prune = true;
  run.r.reset();
  EXPECT_EQ(jikkoujj(run.r, "rrs"), -1);
  EXPECT_EQ(run.r.steps, 3);
}

}  // namespace
}  // namespace solver
