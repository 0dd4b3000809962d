#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "fixed_harness.hpp"

namespace solver {
namespace {

using testing::Bench;
using testing::part;
using List = std::vector<std::string>;

// Sets the slots (in template order) and asks one judgement.
enum class Judge { J, A, B, C, Closing };

template <int N>
int judge(Judge which, const List& slots) {
  Bench<N> b;
  b.fill(slots);
  const FixedSearch<N>& s = *b.s;
  switch (which) {
    case Judge::J:
      return s.jhantei();
    case Judge::A:
      return s.ahantei();
    case Judge::B:
      return s.bhantei();
    case Judge::C:
      return s.chantei();
    case Judge::Closing:
      return s.closing_hantei();
  }
  return 0;
}

constexpr int kReject = -1;
constexpr int kPass = 0;

TEST(BodyJudgement, TurnsAtBothEndsAndTheFirstParameter) {
  // [2] is not empty in these cases, so only J1 to J4 can apply.
  for (const auto& [body, expected] :
       std::vector<std::pair<std::string, int>>{{"lXr", kReject},   // J1
                                                {"rXl", kReject},   // J2
                                                {"lXll", kReject},  // J3
                                                {"ll", kReject},    // J3 on two characters (and J4)
                                                {"XlXr", kPass},
                                                {"rXr", kPass},   // no rule for r ... r
                                                {"llXl", kPass},  // nor for ll ... l
                                                {"s", kReject},   // J4
                                                {"r", kReject},
                                                {"X", kPass}}) {
    EXPECT_EQ(judge<1>(Judge::J, {body, "s", "", ""}), expected) << body;
    EXPECT_EQ(judge<2>(Judge::J, {body, "s", "s", "", "", ""}), expected) << body;
    EXPECT_EQ(judge<3>(Judge::J, {body, "s", "s", "s", "", "", "", ""}), expected) << body;
  }
}

TEST(BodyJudgement, EmptyFirstArgument) {
  // J5a (solver1): an empty [2] needs a body with moves.
  EXPECT_EQ(judge<1>(Judge::J, {"X", "", "", "s"}), kReject);
  EXPECT_EQ(judge<1>(Judge::J, {"XX", "", "", "s"}), kReject);
  EXPECT_EQ(judge<1>(Judge::J, {"Xs", "", "", "s"}), kPass);
  // J5: ... or a "Y".
  EXPECT_EQ(judge<2>(Judge::J, {"X", "", "s", "", "s", ""}), kReject);
  EXPECT_EQ(judge<2>(Judge::J, {"XY", "", "s", "", "s", ""}), kPass);
  EXPECT_EQ(judge<3>(Judge::J, {"X", "", "s", "s", "", "s", "", ""}), kReject);
  EXPECT_EQ(judge<3>(Judge::J, {"XY", "", "s", "s", "", "s", "", ""}), kPass);
  // J6a (solver2): [2] and [3] empty need a body with moves.
  EXPECT_EQ(judge<2>(Judge::J, {"XY", "", "", "", "s", "s"}), kReject);
  EXPECT_EQ(judge<2>(Judge::J, {"XsY", "", "", "", "s", "s"}), kPass);
  // J6 (solver3): ... unless a "Z" in the body reaches a non-empty [4].
  EXPECT_EQ(judge<3>(Judge::J, {"XY", "", "", "s", "", "s", "s", ""}), kReject);
  EXPECT_EQ(judge<3>(Judge::J, {"XYZ", "", "", "s", "", "s", "s", ""}), kPass);
  EXPECT_EQ(judge<3>(Judge::J, {"XYZ", "", "", "", "", "s", "s", "s"}), kReject);
}

TEST(BodyJudgement, ParameterOrder) {
  for (const auto& [body, expected] :
       std::vector<std::pair<std::string, int>>{{"XZY", kReject},  // J8
                                                {"ZXY", kReject},  // J8
                                                {"YXZ", kReject},  // J8
                                                {"XYZ", kPass},
                                                {"XsYrZ", kPass},
                                                {"XY", kPass},
                                                {"YX", kReject},    // J7
                                                {"sYXs", kReject},  // J7
                                                {"XZ", kReject},    // J9
                                                {"XZX", kReject}}) {
    EXPECT_EQ(judge<3>(Judge::J, {body, "s", "s", "s", "", "", "", ""}), expected) << body;
  }
  EXPECT_EQ(judge<2>(Judge::J, {"YX", "s", "s", "", "", ""}), kReject);  // J7
  EXPECT_EQ(judge<2>(Judge::J, {"XYX", "s", "s", "", "", ""}), kPass);
}

TEST(FirstArgumentJudgement, CommonRules) {
  // A1: [2] exactly "X", whatever the rest.
  EXPECT_EQ(judge<1>(Judge::A, {"Xs", "X", "", "s"}), kReject);
  EXPECT_EQ(judge<2>(Judge::A, {"XY", "X", "s", "", "s", "s"}), kReject);
  EXPECT_EQ(judge<3>(Judge::A, {"XY", "X", "s", "s", "", "s", "s", "s"}), kReject);
  // A2: some "Y" in [1] or [2].
  EXPECT_EQ(judge<2>(Judge::A, {"X", "s", "s", "", "s", "s"}), kReject);
  EXPECT_EQ(judge<2>(Judge::A, {"X", "Ys", "s", "", "s", "s"}), kPass);
  EXPECT_EQ(judge<3>(Judge::A, {"X", "s", "s", "s", "", "s", "s", "s"}), kReject);
  EXPECT_EQ(judge<3>(Judge::A, {"X", "Ys", "s", "s", "", "s", "s", "s"}), kPass);
}

TEST(FirstArgumentJudgement, EmptyFirstCallArgument) {
  // A3b / A3a / A3: with [N+3] empty, [2] needs moves (or a later letter).
  EXPECT_EQ(judge<1>(Judge::A, {"Xs", "XX", "", ""}), kReject);
  EXPECT_EQ(judge<1>(Judge::A, {"Xs", "XX", "", "s"}), kPass);
  EXPECT_EQ(judge<2>(Judge::A, {"XY", "XX", "s", "", "", "s"}), kReject);
  EXPECT_EQ(judge<2>(Judge::A, {"XY", "XY", "s", "", "", "s"}), kPass);
  EXPECT_EQ(judge<3>(Judge::A, {"XY", "XX", "s", "s", "", "", "s", "s"}), kReject);
  EXPECT_EQ(judge<3>(Judge::A, {"XY", "XZ", "s", "s", "", "", "s", "s"}), kPass);
  EXPECT_EQ(judge<3>(Judge::A, {"XY", "XX", "s", "s", "", "s", "s", "s"}), kPass);
}

TEST(FirstArgumentJudgement, ThirdParameterOrder) {
  // A4 (solver3): with no "Y" in [1], a "Z" in [2] must follow a "Y".
  EXPECT_EQ(judge<3>(Judge::A, {"X", "ZY", "s", "s", "", "s", "s", "s"}), kReject);
  EXPECT_EQ(judge<3>(Judge::A, {"X", "YZ", "s", "s", "", "s", "s", "s"}), kPass);
  EXPECT_EQ(judge<3>(Judge::A, {"XY", "Zs", "s", "s", "", "s", "s", "s"}), kPass);
}

TEST(FirstArgumentJudgement, RulesOfOneProgram) {
  // A5 exists only in solver2: [3] empty and [2] without moves and "X".
  EXPECT_EQ(judge<2>(Judge::A, {"XY", "YY", "", "", "s", "s"}), kReject);
  EXPECT_EQ(judge<2>(Judge::A, {"XY", "XY", "", "", "s", "s"}), kPass);
  EXPECT_EQ(judge<3>(Judge::A, {"XY", "YY", "", "s", "", "s", "s", "s"}), kPass);
  // A6, A7, A8 exist only in solver1.
  EXPECT_EQ(judge<1>(Judge::A, {"X", "s", "", "s"}), kReject);  // A6: no turn
  EXPECT_EQ(judge<1>(Judge::A, {"X", "rs", "", "s"}), kPass);
  EXPECT_EQ(judge<1>(Judge::A, {"X", "r", "", "s"}), kReject);  // A7: no "s"
  EXPECT_EQ(judge<1>(Judge::A, {"Xr", "s", "", "s"}), kPass);
  EXPECT_EQ(judge<1>(Judge::A, {"X", "XX", "", "s"}), kReject);  // A8
  EXPECT_EQ(judge<2>(Judge::A, {"XY", "Ys", "s", "", "s", "s"}), kPass);
  EXPECT_EQ(judge<2>(Judge::A, {"XY", "Yr", "s", "", "s", "s"}), kPass);
  EXPECT_EQ(judge<2>(Judge::A, {"XY", "XY", "s", "", "s", "s"}), kPass);
}

TEST(SecondArgumentJudgement, Rules) {
  // B1 (solver3): some "Z" in [1], [2] or [3].
  EXPECT_EQ(judge<3>(Judge::B, {"X", "Ys", "s", "s", "", "s", "s", "s"}), kReject);
  EXPECT_EQ(judge<3>(Judge::B, {"X", "Ys", "Z", "s", "", "s", "", "s"}), kPass);
  EXPECT_EQ(judge<3>(Judge::B, {"X", "YZ", "s", "s", "", "s", "s", "s"}), kPass);
  // B2 / B2a: with [N+4] empty, [3] needs moves (or the right letters).
  EXPECT_EQ(judge<3>(Judge::B, {"XYZ", "s", "YY", "s", "", "s", "", "s"}), kReject);
  EXPECT_EQ(judge<3>(Judge::B, {"XYZ", "s", "YY", "s", "", "s", "s", "s"}), kPass);
  EXPECT_EQ(judge<3>(Judge::B, {"XYZ", "s", "XY", "s", "", "s", "", "s"}), kPass);
  EXPECT_EQ(judge<2>(Judge::B, {"XY", "s", "YY", "", "s", ""}), kReject);
  EXPECT_EQ(judge<2>(Judge::B, {"XY", "s", "XY", "", "s", ""}), kPass);
  EXPECT_EQ(judge<2>(Judge::B, {"XY", "s", "YY", "", "s", "s"}), kPass);
  // B3: [3] exactly "Y".
  EXPECT_EQ(judge<3>(Judge::B, {"XYZ", "s", "Y", "s", "", "s", "s", "s"}), kReject);
  EXPECT_EQ(judge<2>(Judge::B, {"XY", "s", "Y", "", "s", "s"}), kReject);
  // B4 exists only in solver2: [2] empty and neither [1] nor [3] moves.
  EXPECT_EQ(judge<2>(Judge::B, {"XY", "", "XX", "", "s", "s"}), kReject);
  EXPECT_EQ(judge<2>(Judge::B, {"XY", "", "XY", "", "s", "s"}), kPass);
  EXPECT_EQ(judge<2>(Judge::B, {"XsY", "", "XX", "", "s", "s"}), kPass);
  EXPECT_EQ(judge<3>(Judge::B, {"XYZ", "", "XX", "s", "", "s", "s", "s"}), kPass);
}

TEST(ThirdArgumentJudgement, Rules) {
  EXPECT_EQ(judge<3>(Judge::C, {"XYZ", "s", "s", "ZZ", "", "s", "s", ""}), kReject);  // C1
  EXPECT_EQ(judge<3>(Judge::C, {"XYZ", "s", "s", "ZZ", "", "s", "s", "s"}), kPass);
  EXPECT_EQ(judge<3>(Judge::C, {"XYZ", "s", "s", "XZ", "", "s", "s", ""}), kPass);
  EXPECT_EQ(judge<3>(Judge::C, {"XYZ", "s", "s", "r", "", "s", "s", ""}), kPass);
  EXPECT_EQ(judge<3>(Judge::C, {"XYZ", "s", "s", "Z", "", "s", "s", "s"}), kReject);  // C2
}

TEST(ClosingJudgement, NeedsAStepAndATurnOutsideTheMainLine) {
  EXPECT_EQ(judge<3>(Judge::Closing, {"X", "Ys", "Z", "s", "r", "", "", ""}), kReject);  // K2
  EXPECT_EQ(judge<3>(Judge::Closing, {"X", "Ys", "Z", "r", "", "", "", ""}), kPass);
  EXPECT_EQ(judge<3>(Judge::Closing, {"X", "Yr", "Z", "r", "s", "", "", ""}), kReject);  // K1
  EXPECT_EQ(judge<3>(Judge::Closing, {"X", "Yr", "Z", "r", "", "", "", "s"}), kPass);
  EXPECT_EQ(judge<2>(Judge::Closing, {"X", "Y", "s", "l", "", ""}), kReject);
  EXPECT_EQ(judge<2>(Judge::Closing, {"X", "Y", "s", "", "", "l"}), kPass);
  EXPECT_EQ(judge<1>(Judge::Closing, {"X", "s", "r", ""}), kReject);
  EXPECT_EQ(judge<1>(Judge::Closing, {"X", "s", "", "r"}), kPass);
}

// The combinations of the first call's arguments that the closing judgement
// lets through, as the planner of a parallel search counts them without
// walking, against a walk of every combination: for function slots with
// and without steps and turns, every length of the arguments up to 3, and
// fixed arguments.
template <int N>
std::uint64_t walked_first_call_arguments(FixedSearch<N>& s) {
  std::uint64_t n = 0;
  const auto walk = [&](const auto& self, int p) -> void {
    if (p == N) {
      n += s.closing_hantei() != -1 ? 1 : 0;
      return;
    }
    code_parts& a = s.slot[FixedSearch<N>::kMainArg + p];
    getsss(a);
    do {
      self(self, p + 1);
    } while (getnew0(a) != -1);
  };
  walk(walk, 0);
  return n;
}

template <int N>
void first_call_arguments_are_counted_as_walked() {
  const List functions[] = {{"sX", "r"}, {"sX", "X"}, {"lX", "X"}, {"X", "X"}};
  const List fixed[] = {{}, {""}, {"s"}, {"r"}, {"sl"}};
  for (const List& fn : functions) {
    for (const List& fix : fixed) {
      for (int lengths = 0; lengths < (1 << (2 * N)); ++lengths) {
        Bench<N> b;
        for (int i = 0; i <= N; ++i) b.s->slot[i] = part(i < 2 ? fn[i] : "Y");
        for (int p = 0; p < N; ++p) {
          code_parts& a = b.s->slot[FixedSearch<N>::kMainArg + p];
          if (p == 0 && !fix.empty()) {
            a = part(fix[0]);
            a.fixed = 1;
          } else {
            a.length = lengths >> (2 * p) & 3;
          }
        }
        const std::uint64_t counted = b.s->first_call_arguments();
        EXPECT_EQ(counted, walked_first_call_arguments(*b.s))
            << N << " " << fn[0] << "," << fn[1] << " fixed " << fix.size() << " lengths "
            << lengths;
      }
    }
  }
}

TEST(ClosingJudgement, FirstCallArgumentsCountedWithoutWalking) {
  first_call_arguments_are_counted_as_walked<3>();
  first_call_arguments_are_counted_as_walked<2>();
  first_call_arguments_are_counted_as_walked<1>();
}

// The whole odometer, counted through the candidate hook on maps that no
// candidate can clear (every run fails on its first command).
TEST(Odometer, WorkedExampleOfSolver3) {
  Bench<3> b(testing::catalogue_grid("0001"), 5);
  const List all = b.candidates();
  ASSERT_EQ(all.size(), 124u);
  EXPECT_EQ(all[0], "X/Ys/Z/r////");
  // The first distribution, lengths 1,2,1,1,0,0,0,0, yields the first 12.
  const auto in_first = [](const std::string& c) {
    return c.find('/') == 1 && c.find('/', 2) == 4 && c.find('/', 5) == 6 && c.find('/', 7) == 8 &&
           c.size() == 12;
  };
  std::size_t first = 0;
  while (first < all.size() && in_first(all[first])) ++first;
  EXPECT_EQ(first, 12u);
  EXPECT_FALSE(std::any_of(all.begin() + 12, all.end(), in_first));
  EXPECT_EQ(b.s->simulated, 124u);
}

TEST(Odometer, WorkedExampleOfSolver2) {
  Bench<2> b(testing::catalogue_grid("0001"), 4);
  const List all = b.candidates();
  ASSERT_EQ(all.size(), 48u);
  EXPECT_EQ(all[0], "X/Ys/r///");
}

TEST(Odometer, WorkedExampleOfSolver1) {
  Bench<1> b(testing::catalogue_grid("0001"), 3);
  EXPECT_EQ(b.candidates(), (List{"X/rs//", "X/ls//", "X/sr//", "X/sl//", "Xs/r//", "Xs/l//",
                                  "Xr/s//", "Xl/s//", "sX/r//", "sX/l//", "rX/s//", "lX/s//"}));
  Bench<1> two(testing::catalogue_grid("0001"), 2);
  EXPECT_TRUE(two.candidates().empty());
  // Both distributions are still printed.
  EXPECT_NE(two.h.out.str().find("1,1,0,0\n"), std::string::npos);
  EXPECT_NE(two.h.out.str().find("1,0,0,1\n"), std::string::npos);
}

TEST(Odometer, FixedSlotTakesPartOncePerPassAndIsJudged) {
  Bench<1> b(testing::catalogue_grid("0001"), 3);
  b.s->slot[0] = part("X");
  b.s->slot[0].fixed = 1;
  b.s->fixlen[0] = 1;
  EXPECT_EQ(b.candidates(), (List{"X/rs//", "X/ls//", "X/sr//", "X/sl//"}));
  Bench<1> rejected(testing::catalogue_grid("0001"), 4);
  rejected.s->slot[0] = part("lXr");  // J1
  rejected.s->slot[0].fixed = 1;
  rejected.s->fixlen[0] = 3;
  EXPECT_TRUE(rejected.candidates().empty());
}

TEST(Odometer, ResumptionRunsTheCandidateFirstAndGoesOnFromIt) {
  // X/ss would fail A6; it is still run first, then its slots step on.
  Bench<1> b(testing::catalogue_grid("0001"), 3, 1, 0, 1);
  const char* res[] = {"X", "ss", "", ""};
  for (int i = 0; i < 4; ++i) b.s->res[i] = part(res[i]);
  const List seen = b.candidates();
  EXPECT_EQ(seen, (List{"X/ss//", "X/rs//", "X/ls//", "X/sr//", "X/sl//", "Xs/r//", "Xs/l//",
                        "Xr/s//", "Xl/s//", "sX/r//", "sX/l//", "rX/s//", "lX/s//"}));
  EXPECT_EQ(b.s->lim.restart, 0);
}

TEST(Odometer, ResumptionEndsFixing) {
  // [1] fixed to X: alone it searches the first distribution only; resumed,
  // the slot is varied like any other once the candidate is loaded.
  Bench<1> b(testing::catalogue_grid("0001"), 3, 1, 0, 1);
  b.s->slot[0] = part("X");
  b.s->slot[0].fixed = 1;
  b.s->fixlen[0] = 1;
  const char* res[] = {"X", "rs", "", ""};
  for (int i = 0; i < 4; ++i) b.s->res[i] = part(res[i]);
  const List seen = b.candidates();
  ASSERT_EQ(seen.size(), 12u);
  EXPECT_EQ(seen[4], "Xs/r//");
  EXPECT_EQ(b.s->slot[0].fixed, 0);
}

TEST(Odometer, ResumptionLoadedInALaterDistribution) {
  // An empty body fails J4, so no candidate of the resumption lengths
  // 0,2,0,1 reaches the innermost level; the candidate is loaded at the first
  // one that does, in 1,2,0,0, with its own lengths, and the counter steps on
  // from 0,2,0,1 again.
  Bench<1> b(testing::catalogue_grid("0001"), 3, 1, 0, 1);
  const char* res[] = {"", "rs", "", "s"};
  for (int i = 0; i < 4; ++i) b.s->res[i] = part(res[i]);
  const List seen = b.candidates();
  ASSERT_GE(seen.size(), 4u);
  EXPECT_EQ(List(seen.begin(), seen.begin() + 4), (List{"/rs//s", "/rs//r", "/rs//l", "/ls//s"}));
  EXPECT_EQ(List(seen.end() - 12, seen.end()),
            (List{"X/rs//", "X/ls//", "X/sr//", "X/sl//", "Xs/r//", "Xs/l//", "Xr/s//", "Xl/s//",
                  "sX/r//", "sX/l//", "rX/s//", "lX/s//"}));
  List printed;
  std::istringstream lines(b.h.out.str());
  for (std::string line; std::getline(lines, line);) {
    if (line.size() == 7 && line[1] == ',') printed.push_back(line);
  }
  EXPECT_EQ(List(printed.begin(), printed.begin() + 7),
            (List{"0,2,0,1", "0,1,0,2", "0,0,0,3", "1,2,0,0", "0,1,0,2", "0,0,0,3", "1,2,0,0"}));
}

TEST(Odometer, KeysShowThePositionAndPause) {
  Bench<1> b(testing::catalogue_grid("0001"), 3, 1, 0, 0, "x\nr\n");
  int count = 0;
  b.s->on_candidate = [&](const FixedSearch<1>&) {
    ++count;
    if (count == 2) b.h.keys.inject('a');
    if (count == 5) b.h.keys.inject('p');
  };
  b.s->search();
  EXPECT_EQ(count, 12);
  const std::string out = b.h.out.str();
  const std::string hint = "何かキーを押すと検索位置を出力します．pを押すと中断します．\n\n";
  const std::string time = "0001,1msteps,0mlastfail,7bytes\nTue Dec  8 15:43:33 2026\n";
  EXPECT_NE(out.find(time + "a(X):[1]a([2]),[3]a([4])\n[1]=X\n[2]=ls\n[3]=\n[4]=\n" + hint),
            std::string::npos);
  EXPECT_NE(
      out.find(time + "a(X):[1]a([2]),[3]a([4])\n[1]=Xs\n[2]=r\n[3]=\n[4]=\nr：再開，q:終了\n" +
               hint),
      std::string::npos);
  EXPECT_NE(out.find("search_end\n\n"), std::string::npos);

  Bench<1> quit(testing::catalogue_grid("0001"), 3, 1, 0, 0, "q\n");
  quit.s->on_candidate = [&](const FixedSearch<1>&) { quit.h.keys.inject('p'); };
  try {
    quit.s->search();
    ADD_FAILURE() << "q did not end the program";
  } catch (const ProgramExit& e) {
    EXPECT_EQ(e.status, 0);
  }
  EXPECT_EQ(quit.s->simulated, 1u);
  EXPECT_EQ(quit.h.out.str().find("search_end"), std::string::npos);
}

}  // namespace
}  // namespace solver
