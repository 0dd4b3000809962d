#include <gtest/gtest.h>

#include <random>

#include "fixed_harness.hpp"
#include "literal.hpp"

namespace solver {
namespace {

using testing::Bench;
using testing::open_grid;
using List = std::vector<std::string>;

struct State {
  int x, y, vect, steps, getpts;
  bool cleared;
  bool operator==(const State&) const = default;
};

State state_of(const Robot& r) {
  return {r.x, r.y, r.vect, r.steps, r.getpts, r.cleared};
}

std::ostream& operator<<(std::ostream& os, const State& s) {
  return os << "(" << s.x << "," << s.y << " v" << s.vect << " steps " << s.steps << " pts "
            << s.getpts << (s.cleared ? " cleared" : "") << ")";
}

// Runs `commands` as plain commands on a fresh robot with the same limits.
State plain_run(const Grid& g, const std::string& commands, int msteps, int mlastfail) {
  Robot r;
  r.bind(g, msteps, mlastfail);
  r.reset();
  jikkoujj(r, commands);
  return state_of(r);
}

// The candidate run with msteps = k begins exactly the commands `expected`
// up to the k-th, for every k: the whole command sequence, step by step.
template <int N>
void expect_commands(const List& slots, const std::string& expected, const Grid& g = open_grid()) {
  for (int k = 1; k <= static_cast<int>(expected.size()); ++k) {
    Bench<N> b(g, 4, k, 1000);
    b.fill(slots);
    EXPECT_EQ(b.s->simulate(), RunEnd::Failed) << k;
    EXPECT_EQ(state_of(b.s->robot), plain_run(g, expected, k, 1000)) << "msteps " << k;
  }
}

TEST(Interpreter, FirstWorkedExample) {
  // [1] X, [2] XX, [3] s, [4] s with msteps 10: s | s | ss | ssss | ss (cut)
  const List slots = {"X", "XX", "s", "s"};
  Bench<1> b(open_grid(), 4, 10);
  b.fill(slots);
  EXPECT_EQ(b.s->simulate(), RunEnd::Failed);
  EXPECT_EQ(b.s->robot.steps, 10);
  EXPECT_EQ(b.s->robot.y, 13 - 9);    // nine commands took effect
  EXPECT_EQ(b.s->argument(0), "ss");  // the third level's cut argument
  expect_commands<1>(slots,
                     "s"
                     "s"
                     "ss"
                     "ssss"
                     "ss");
}

TEST(Interpreter, SecondWorkedExample) {
  // [1] XsY, [2] Y, [3] XZ, [4] l, [5] r, [6] s, [7] empty, [8] s.
  const List slots = {"XsY", "Y", "XZ", "l", "r", "s", "", "s"};
  expect_commands<3>(slots,
                     "r"
                     "ss"
                     "sss"
                     "sssl"
                     "lsssl");
  Bench<3> b(open_grid(), 4, 15);  // the fifteenth command, level 3's last, fails
  b.fill(slots);
  EXPECT_EQ(b.s->simulate(), RunEnd::Failed);
  EXPECT_EQ(b.s->argument(0), "l");
  EXPECT_EQ(b.s->argument(1), "ssl");
  EXPECT_EQ(b.s->argument(2), "l");
}

TEST(Interpreter, ValuesThatComeBackRepeatTheirCall) {
  // [1] sXY, [2] rs, [3] s, [4] empty, [5] rs, [6] l: from the first level on
  // X is "rs" and Y "s", and every call after the first runs "s rs s".
  const List slots = {"sXY", "rs", "s", "", "rs", "l"};
  expect_commands<2>(slots,
                     "srsl"
                     "srss"
                     "srss"
                     "srss"
                     "srss"
                     "srss");
  // The last call built begins after 16 commands: with three commands left
  // before the limit its values are whole, with one X is cut to "r".
  Bench<2> b(open_grid(), 4, 19);
  b.fill(slots);
  EXPECT_EQ(b.s->simulate(), RunEnd::Failed);
  EXPECT_EQ(b.s->argument(0), "rs");
  EXPECT_EQ(b.s->argument(1), "s");
  Bench<2> cut(open_grid(), 4, 17);
  cut.fill(slots);
  EXPECT_EQ(cut.s->simulate(), RunEnd::Failed);
  EXPECT_EQ(cut.s->argument(0), "r");
  EXPECT_EQ(cut.s->argument(1), "s");
}

TEST(Interpreter, FirstCallTakesTheMainLineAsItStands) {
  // No cut applies to the first call: a main-line argument longer than the
  // budget runs until the step limit.
  const List slots = {"X", "s", "", "ssssssssss"};
  expect_commands<1>(slots, "ssss");
  Bench<1> b(open_grid(), 4, 5);
  b.fill(slots);
  EXPECT_EQ(b.s->simulate(), RunEnd::Failed);
  EXPECT_EQ(b.s->robot.steps, 5);
}

TEST(Interpreter, StepLimitAndWalls) {
  // msteps 1: the first command fails.  A wall costs a step and the run
  // goes on: 0001's corridor has walls left and right of the start.
  Bench<1> one(open_grid(), 4, 1);
  one.fill({"Xs", "r", "", ""});
  EXPECT_EQ(one.s->simulate(), RunEnd::Failed);
  EXPECT_EQ(one.s->robot.steps, 1);
  const Grid corridor = testing::catalogue_grid("0001");
  Bench<1> wall(corridor, 4, 4);
  wall.fill({"X", "", "rss", "s"});
  EXPECT_EQ(wall.s->simulate(), RunEnd::Failed);
  EXPECT_EQ(wall.s->robot.steps, 4);
  EXPECT_EQ(wall.s->robot.x, corridor.startx);
  EXPECT_EQ(wall.s->robot.y, corridor.starty);
}

TEST(Interpreter, FixedPointTest) {
  // Empty argument slots and a body of parameter letters only: the first
  // level's arguments are empty and the run ends there.
  Bench<2> b(open_grid(), 4, 100);
  b.fill({"XY", "", "", "", "s", "rs"});
  EXPECT_EQ(b.s->simulate(), RunEnd::FixedPoint);
  EXPECT_EQ(b.s->robot.steps, 3);
  // A body with a command never meets it: the run goes to the step limit.
  Bench<2> moves(open_grid(), 4, 100);
  moves.fill({"XrY", "", "", "", "", ""});
  EXPECT_EQ(moves.s->simulate(), RunEnd::Failed);
  EXPECT_EQ(moves.s->robot.steps, 100);
}

TEST(Interpreter, IdleLevelsEndTheRun) {
  // X stays empty while Y stays "s": no later level runs anything.
  Bench<3> stuck(open_grid(), 4, 100);
  stuck.fill({"X", "XX", "s", "", "", "", "", ""});
  EXPECT_EQ(stuck.s->simulate(), RunEnd::Idle);
  EXPECT_EQ(stuck.s->robot.steps, 0);
  // Y and Z swap "s" and the empty value every level: a cycle of two that
  // no comparison with the previous level would see.
  Bench<3> swap(open_grid(), 4, 100);
  swap.fill({"X", "", "Z", "Y", "s", "", "s", ""});
  EXPECT_EQ(swap.s->simulate(), RunEnd::Idle);
  EXPECT_EQ(swap.s->robot.steps, 1);
  // A command that arrives after idle levels is still run: Z gets "s" at
  // level 1, Y at level 2 and X, which the body runs, at level 3.
  Bench<3> late(open_grid(), 4, 60);
  late.fill({"X", "Y", "Z", "s", "", "", "", ""});
  EXPECT_EQ(late.s->simulate(), RunEnd::Failed);
  EXPECT_EQ(late.s->robot.steps, 60);
}

TEST(Interpreter, ParameterLettersInTheMainLine) {
  // A fixed main-line argument may hold letters: they are skipped when run
  // and copied into the values.  Here X doubles without ever holding a
  // command; the values settle into a cycle of two and the run ends.
  Bench<1> b(open_grid(), 4, 100);
  b.fill({"X", "XX", "", "X"});
  EXPECT_EQ(b.s->simulate(), RunEnd::Idle);
  EXPECT_EQ(b.s->robot.steps, 0);
  // Letters take room in a value, so the cut keeps fewer commands: with
  // [4] "s" the second level's value is "ss" and the run fails on its sixth
  // command; with [4] "Xs" it is "Xs", then only letters are left.
  Bench<1> plain(open_grid(), 4, 6);
  plain.fill({"X", "XXs", "", "s"});
  EXPECT_EQ(plain.s->simulate(), RunEnd::Failed);
  EXPECT_EQ(plain.s->robot.steps, 6);
  Bench<1> cut(open_grid(), 4, 6);
  cut.fill({"X", "XXs", "", "Xs"});
  EXPECT_EQ(cut.s->simulate(), RunEnd::Idle);
  EXPECT_EQ(cut.s->robot.steps, 5);
}

template <int N>
void compare_with_literal_rules(unsigned seed, bool letters_in_main_line) {
  std::mt19937 rng(seed);
  const std::string function_alphabet = std::string("srl") + std::string("XYZ").substr(0, N);
  const std::string main_alphabet = letters_in_main_line ? function_alphabet : "srl";
  const auto fragment = [&](const std::string& alphabet, int most) {
    std::string f;
    const int len = static_cast<int>(rng() % static_cast<unsigned>(most + 1));
    for (int i = 0; i < len; ++i) f += alphabet[rng() % alphabet.size()];
    return f;
  };
  Grid g = open_grid();
  g.k[13][10] = 'o';
  g.k[15][13] = 'o';
  g.k[11][12] = '*';
  g.k[14][11] = '*';
  g.mappts = 2;
  for (int trial = 0; trial < 3000; ++trial) {
    List slots;
    slots.push_back(fragment(function_alphabet, 4));
    for (int p = 0; p < N; ++p) slots.push_back(fragment(function_alphabet, 4));
    slots.push_back(fragment("srl", 3));
    for (int p = 0; p < N; ++p) slots.push_back(fragment(main_alphabet, 4));
    const int msteps = 1 + static_cast<int>(rng() % 40);
    const int mlastfail = static_cast<int>(rng() % 30);
    Bench<N> b(g, 4, msteps, mlastfail);
    b.fill(slots);
    const RunEnd got = b.s->simulate();
    Robot r;
    r.bind(g, msteps, mlastfail);
    const RunEnd want = literal_run<N>(r, slots, 300);
    std::string shown;
    for (const std::string& s : slots) shown += "[" + s + "]";
    ASSERT_EQ(got, want) << shown << " msteps " << msteps;
    ASSERT_EQ(state_of(b.s->robot), state_of(r)) << shown << " msteps " << msteps;
  }
}

TEST(Interpreter, KeptValuesGiveTheRunsOfTheFullRule) {
  compare_with_literal_rules<1>(1, false);
  compare_with_literal_rules<2>(2, false);
  compare_with_literal_rules<3>(3, false);
  compare_with_literal_rules<1>(4, true);
  compare_with_literal_rules<2>(5, true);
  compare_with_literal_rules<3>(6, true);
}

TEST(Interpreter, LargestStepLimitStaysSmall) {
  // msteps = 2147483647 and a [3] that doubles Y every level while the body
  // steps round a square with a gray cell: by the full rule Y would reach
  // gigabytes before the gray cell ends the run at the 33rd level.
  Grid g = open_grid();
  g.k[14][12] = '*';
  Bench<2> b(g, 4, 2147483647, 64);
  b.fill({"sr", "", "YY", "", "", "s"});
  EXPECT_EQ(b.s->simulate(), RunEnd::Failed);
  EXPECT_EQ(b.s->robot.steps, 67);
  EXPECT_LE(b.s->argument_capacity(), 1024u);

  // A doubling argument that the body runs: rs, rsrs, ... round the square.
  Grid square = open_grid();
  square.k[14][14] = '*';
  Bench<1> run(square, 4, 2147483647, 64);
  run.fill({"X", "XX", "", "rs"});
  EXPECT_EQ(run.s->simulate(), RunEnd::Failed);
  EXPECT_EQ(run.s->robot.steps, 68);
  EXPECT_EQ(run.s->argument(0).size(), 64u);
  EXPECT_LE(run.s->argument_capacity(), 1024u);
}

// The builder compares values in whole blocks, masking off what lies past
// them: bytes after n never count, any byte before n does.
TEST(StreamBuilder, SameBytesLooksAtTheFirstNBytesOnly) {
  std::mt19937 rng(17);
  constexpr std::size_t kRoom = 48 + full_stream_detail::kSlack;
  for (std::size_t n = 0; n <= 48; ++n) {
    for (int trial = 0; trial < 40; ++trial) {
      std::array<char, kRoom> a{};
      for (char& ch : a) ch = static_cast<char>(rng());
      std::array<char, kRoom> b = a;
      const std::size_t at = rng() % (n + full_stream_detail::kSlack);
      b[at] = static_cast<char>(b[at] ^ (1 + rng() % 255));
      EXPECT_EQ(full_stream_detail::same_bytes(a.data(), b.data(), n), at >= n)
          << "n " << n << " differing at " << at;
      EXPECT_TRUE(full_stream_detail::same_bytes(a.data(), a.data(), n));
    }
  }
}

}  // namespace
}  // namespace solver
