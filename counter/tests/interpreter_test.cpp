// Runs of one filled counter template, command by command.
#include <gtest/gtest.h>

#include <string_view>
#include <tuple>

#include "counter_fixture.hpp"

namespace solver {
namespace {

using testing::CounterFixture;

auto state(const Robot& r) {
  return std::make_tuple(r.x, r.y, r.vect, r.steps);
}

// The run of the current candidate must execute exactly `expected`: under
// every step limit it leaves the robot where plain execution of `expected`
// under the same limit leaves it.
// Limits below `first_limit` would stop the run at an argument's length test.
void expect_commands(CounterFixture& f, std::string_view expected, int first_limit = 1) {
  const int saved = f.s.lim.msteps;
  for (int m = first_limit; m <= static_cast<int>(expected.size()) + 2; ++m) {
    f.limits(f.s.lim.bytes, m);
    f.s.simulate();
    Robot ref;
    ref.bind(f.s.grid, m, f.s.lim.mlastfail);
    ref.reset();
    jikkoujj(ref, expected);
    EXPECT_EQ(state(f.s.robot), state(ref)) << "step limit " << m << ", expected " << expected;
  }
  f.limits(f.s.lim.bytes, saved);
}

TEST(CounterInterpreter, CountOneRunsBodyThenArgumentTestThenTail) {
  CounterFixture f;
  f.fill("X", "X", "Xr", "ls");
  f.s.T = 1;
  expect_commands(f, "lslsr");  // [1] with X0, nothing for count 0, [3] with X0
  // X1 is built and tested although the call with count 0 never runs it.
  f.fill("X", "XXX", "s", "ls");
  f.limits(2, 5);
  f.s.simulate();
  EXPECT_EQ(f.s.robot.steps, 2);  // X1 has 6 letters > 5: no [3]
  EXPECT_EQ(f.s.args[1].substr(0, 6), "lslsls");
  f.limits(2, 6);
  f.s.simulate();
  EXPECT_EQ(f.s.robot.steps, 3);  // 6 letters are allowed
}

TEST(CounterInterpreter, WorkedExamples) {
  CounterFixture f;
  // [4] three times, then s three times.
  f.fill("X", "X", "s", "rs");
  f.s.T = 3;
  expect_commands(f, "rsrsrssss");
  // The arguments l, ls, lss: l, l s, then r twice on the way back.
  f.fill("X", "Xs", "r", "l");
  f.s.T = 2;
  expect_commands(f, "llsrr");
  // [2] without X: from the second level on the argument is [2] itself.
  f.fill("X", "r", "", "s");
  f.s.T = 3;
  expect_commands(f, "srr");
  // Empty [1] or [3] runs nothing at its level.
  f.fill("", "Xs", "X", "r");
  expect_commands(f, "rssrsr", 4);
  f.fill("X", "Xs", "", "r");
  expect_commands(f, "rrsrss", 4);
}

TEST(CounterInterpreter, TooLongArgumentEndsTheRunEvenWhenNeverUsed) {
  CounterFixture f;
  f.fill("s", "XX", "s", "rrl");
  f.s.T = 3;
  f.limits(8, 20);
  f.s.simulate();  // X1 6, X2 12, X3 24 letters > 20: no [3] is run
  EXPECT_EQ(f.s.robot.steps, 3);
  EXPECT_EQ(f.s.robot.y, 10);
  f.limits(8, 23);
  f.s.simulate();
  EXPECT_EQ(f.s.robot.steps, 3);
  f.limits(8, 24);
  f.s.simulate();
  EXPECT_EQ(f.s.robot.steps, 6);  // 24 letters pass: [3] runs on every level
  EXPECT_EQ(f.s.robot.y, 7);
}

TEST(CounterInterpreter, ArgumentsStayWithinTheStepLimit) {
  CounterFixture f;
  f.fill("", "XXXXXXXX", "X", "ss");
  f.s.T = kCounterLastT;
  f.limits(11, 100000);
  f.s.simulate();
  EXPECT_EQ(f.s.robot.steps, 0);  // fails at a length test before [3] runs
  for (const std::string& x : f.s.args) EXPECT_LE(x.size(), 100001u);
  EXPECT_GT(f.s.args[6].size(), 100000u);  // 2 * 8^6 letters, cut just past the limit
  EXPECT_EQ(f.s.args[5].size(), 65536u);
}

TEST(CounterInterpreter, StepAndGrayLimitsStopTheRun) {
  CounterFixture f("", testing::open_floor({{{13, 11}, '*'}, {{13, 10}, '*'}}));
  f.fill("X", "X", "s", "s");
  f.s.T = 19;
  f.s.lim.mlastfail = 100;
  f.limits(4, 10);
  f.s.simulate();
  EXPECT_EQ(f.s.robot.steps, 10);  // the tenth command is refused
  EXPECT_EQ(f.s.robot.y, 4);
  f.s.lim.mlastfail = 2;
  f.limits(4, 100);
  f.s.simulate();
  EXPECT_EQ(f.s.robot.steps, 3);  // gray cells on steps 2 and 3; 3 is too late
  EXPECT_EQ(f.s.robot.lastfail, 3);
  f.s.lim.mlastfail = 1;
  f.limits(4, 100);
  f.s.simulate();
  EXPECT_EQ(f.s.robot.steps, 2);
}

TEST(CounterInterpreter, ClearPrintsTheSolutionWithItsCount) {
  CounterFixture f("", testing::corridor());
  f.fill("", "s", "X", "");
  f.limits(2, 100);
  f.s.T = 4;
  f.s.simulate();  // three steps only
  EXPECT_FALSE(f.s.robot.cleared);
  EXPECT_EQ(f.out(), "");
  f.s.T = 5;
  try {
    f.s.simulate();
    FAIL() << "no clear";
  } catch (const ProgramExit& e) {
    EXPECT_EQ(e.status, 0);
  }
  EXPECT_EQ(f.out(), std::string("0001,100msteps,0mlastfail,10bytes\n") + testing::kTime +
                         "a(X):[1]a([2],T-1)[3],a([4])\n[1]=\n[2]=s\n[3]=X\n[4]=\nT=5\n"
                         "4steps!! clear!!\n");
}

TEST(CounterInterpreter, PrintedCandidate) {
  CounterFixture f;
  EXPECT_EQ(f.s.T, 0);
  f.s.PRINT_CODE(0);
  f.fill("X", "Xs", "r", "l");
  f.s.T = 2;
  f.s.PRINT_CODE(0);
  f.s.PRINT_CODE(1);
  EXPECT_EQ(f.out(),
            "a(X):[1]a([2],T-1)[3],a([4])\n[1]=\n[2]=\n[3]=\n[4]=\nT=0\n"
            "a(X):[1]a([2],T-1)[3],a([4])\n[1]=X\n[2]=Xs\n[3]=r\n[4]=l\nT=2\n"
            "a(X):[1]a([2],T-1)[3],a([4])\n[1]=X,0,0,1\n[2]=Xs,1,0,1\n[3]=r,0,1,0\n"
            "[4]=l,0,1,0\nT=2\n");
}

}  // namespace
}  // namespace solver
