// The integer procedure a, its limits and the printed template.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <new>

#include "decide.hpp"
#include "linear_bench.hpp"
#include "reference_programs.hpp"

namespace {
// Allocations made by this test program, to show that runs make none.
std::size_t g_allocations = 0;
}  // namespace

void* operator new(std::size_t n) {
  ++g_allocations;
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
// GCC takes the free below for a mismatch with the new above when it
// inlines both (sanitizer builds); they are a matched pair.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
#pragma GCC diagnostic pop

namespace solver {
namespace {

using testing::Bench;
using testing::catalogue_map;
using testing::kTime;
using testing::open_map;

// True when the run left the robot exactly where the plain command string
// leaves it: position, heading, steps and the step of every collected target.
::testing::AssertionResult ran(const LinearSearch& s, std::string_view commands) {
  Robot r;
  r.bind(s.grid, s.w.robot.msteps, s.w.robot.mlastfail);
  r.reset();
  jikkoujj(r, commands);
  const LinearRobot& q = s.w.robot;
  bool same_targets = true;
  for (int x = 1; x <= 25; ++x)
    for (int y = 1; y <= 25; ++y)
      same_targets = same_targets && q.collected_at(x, y) == r.collected_at(x, y);
  if (q.x() != r.x || q.y() != r.y || q.vect != r.vect || q.steps != r.steps ||
      q.getpts != r.getpts || q.lastfail != r.lastfail || q.cleared != r.cleared || !same_targets) {
    return ::testing::AssertionFailure()
           << "robot at (" << q.x() << "," << q.y() << ") heading " << q.vect << " after "
           << q.steps << " steps; " << commands << " gives (" << r.x << "," << r.y << ") heading "
           << r.vect << " after " << r.steps;
  }
  return ::testing::AssertionSuccess();
}

// A field of targets: every forward move records its step, so the order of
// the commands shows in the robot's state.
void targets(Bench& b, std::string j, std::string jj) {
  b.setup(testing::open_map('o'), std::move(j), std::move(jj), 20, 10000, 10000, 0);
}

TEST(LinearInterpreter, PrintsTheFilledTemplate) {
  Bench b;
  b.setup(open_map(), "srl", "", 20, 10, 0, 0);
  b.candidate(2, -3, 1, 0, 5);
  b.s.PRINT_CODE();
  EXPECT_EQ(b.h.out.str(), "a(T):[1]a(2T+-3)[2]a(1T+0), a(5)\n[1]=srl\n[2]=\n");
}

TEST(LinearInterpreter, CallsRunDepthFirst) {
  Bench two;
  targets(two, "s", "r");
  two.candidate(1, -1, -1, 0, 2);
  two.s.w.simulate();
  EXPECT_TRUE(ran(two.s, "ssrr"));

  // Both calls decrease the argument: [1] before each first sub-call, [2]
  // between the two sub-calls, each 2^3 - 1 times.
  Bench tree;
  targets(tree, "s", "r");
  tree.candidate(1, -1, 1, -1, 3);
  tree.s.w.simulate();
  EXPECT_TRUE(ran(tree.s, "sssrrsrrssrrsr"));
  EXPECT_EQ(tree.s.w.robot.steps, 14);

  Bench longer;
  targets(longer, "sl", "rs");
  longer.candidate(1, -1, 1, -1, 2);
  longer.s.w.simulate();
  EXPECT_TRUE(ran(longer.s,
                  "sl"
                  "sl"
                  "rs"
                  "rs"
                  "sl"
                  "rs"));
}

TEST(LinearInterpreter, ArgumentsOutsideOneTo255) {
  Bench zero;
  targets(zero, "s", "r");
  zero.candidate(1, -1, 1, -1, 0);
  EXPECT_EQ(zero.s.w.f(0, 1), 0);
  EXPECT_EQ(zero.s.w.f(-7, 1), 0);
  EXPECT_EQ(zero.s.w.robot.steps, 0);

  Bench high;
  targets(high, "s", "r");
  high.candidate(1, -1, 1, -1, 256);
  EXPECT_EQ(high.s.w.f(256, 1), -1);
  EXPECT_EQ(high.s.w.robot.steps, 0);

  // A nested argument above 255 ends the run before [2].
  Bench nested;
  targets(nested, "s", "r");
  nested.candidate(100, -1, 1, -1, 3);
  EXPECT_EQ(nested.s.w.f(3, 1), -1);
  EXPECT_TRUE(ran(nested.s, "s"));

  // Coefficients near the 32-bit limit: A·255 is formed without overflow.
  Bench wide;
  targets(wide, "s", "r");
  wide.candidate(1999999989, -255, -1999999989, 255, 255);
  EXPECT_EQ(wide.s.w.f(255, 1), -1);
  EXPECT_TRUE(ran(wide.s, "s"));
  wide.candidate(-2147483647 - 1, 255, -1, 0, 255);
  wide.s.w.robot.reset();
  EXPECT_EQ(wide.s.w.f(255, 1), 0);  // -2^31·255 + 255 is far below 1
  EXPECT_TRUE(ran(wide.s, "sr"));
}

TEST(LinearInterpreter, DepthLimitComesFirst) {
  Bench b;
  targets(b, "r", "");
  b.candidate(1, 0, 1, 0, 5);
  EXPECT_EQ(b.s.w.f(0, LinearWorker::kMaxDepth), 0);
  EXPECT_EQ(b.s.w.f(0, LinearWorker::kMaxDepth + 1), -1);
  EXPECT_EQ(b.s.w.f(-3, LinearWorker::kMaxDepth + 1), -1);
  EXPECT_EQ(b.s.w.f(300, LinearWorker::kMaxDepth + 1), -1);
  // The argument never falls: 1300 calls turn once each, the 1301st fails.
  b.s.w.robot.reset();
  EXPECT_EQ(b.s.w.f(5, 1), -1);
  EXPECT_EQ(b.s.w.robot.steps, 1300);
}

TEST(LinearInterpreter, EmptyFragmentsEndTheRunAtOnce) {
  // Without the early end this run would make 2^255 - 1 calls.
  Bench b;
  targets(b, "", "");
  b.candidate(1, -1, 1, -1, 255);
  b.s.w.simulate();
  EXPECT_EQ(b.s.w.simulated, 1u);
  EXPECT_EQ(b.s.w.robot.steps, 0);
  EXPECT_FALSE(b.s.w.robot.cleared);
}

TEST(LinearInterpreter, ForwardStepsMeetTheStepLimit) {
  Bench b;
  b.setup(open_map(), "s", "", 20, 5, 0, 0);  // no target: nothing clears
  b.candidate(1, -1, 1, -1, 200);
  b.s.w.simulate();
  EXPECT_EQ(b.s.w.robot.steps, 5);
  EXPECT_EQ(b.s.w.robot.y(), 13 - 4);  // the fifth step is refused
}

TEST(LinearInterpreter, LongestRunsAreBoundedByTheStepLimit) {
  // The worst cases left: a full binary tree of calls at E = 255 whose only
  // commands are in one fragment, and a chain of calls without commands.
  // Each ends after msteps commands, or at the depth limit.
  using Clock = std::chrono::steady_clock;
  const auto start = Clock::now();
  for (const auto& [j, jj] :
       {std::pair{"", "r"}, std::pair{"r", ""}, std::pair{"s", ""}, std::pair{"", "s"}}) {
    Bench b;
    b.setup(open_map(), j, jj, 20, 1000000, 0, 0);
    b.candidate(1, -1, 1, -1, 255);
    b.s.w.simulate();
    EXPECT_EQ(b.s.w.robot.steps, 1000000) << j << "/" << jj;
  }
  Bench chain;
  chain.setup(open_map(), "", "r", 20, 1000000, 0, 0);
  chain.candidate(2, -1, 2, -1, 1);  // a(1) calls a(1) again and again
  chain.s.w.simulate();
  EXPECT_EQ(chain.s.w.robot.steps, 0);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(30));
}

TEST(LinearInterpreter, ClearPrintsTheCandidateAndEnds) {
  Bench b;
  b.setup(catalogue_map("0001"), "s", "", 11, 5, 0, 4);
  try {
    b.s.search();
    FAIL() << "no clear";
  } catch (const ProgramExit& e) {
    EXPECT_EQ(e.status, 0);
  }
  const std::string head = std::string("0001,5msteps,0mlastfail,11bytes\n") + kTime;
  EXPECT_EQ(b.h.out.str(), "4\n" + head + head +
                               "a(T):[1]a(1T+-255)[2]a(1T+-1), a(4)\n[1]=s\n[2]=\n"
                               "4steps!! clear!!\n");
  // One step fewer: the fourth command is refused, nothing clears.
  Bench tight;
  tight.setup(catalogue_map("0001"), "s", "", 11, 4, 0, 4);
  tight.s.search();
  EXPECT_EQ(tight.h.out.str().find("clear"), std::string::npos);
}

// The catalogue's reference programs written in this template: the run
// executes exactly their commands and clears on the last one, which the step
// limit one lower refuses.
TEST(LinearInterpreter, ReferenceProgramsClear) {
  int seen = 0;
  for (const auto& p : testdata::kReferencePrograms) {
    if (p.program != "solverlinear") continue;
    ++seen;
    Bench b;
    b.setup(catalogue_map(p.id), std::string(p.slots[0]), std::string(p.slots[1]), p.entered_bytes,
            p.msteps, p.mlastfail, p.E);
    b.candidate(p.A, p.B, p.C, p.D, p.E);
    b.s.w.simulate();
    EXPECT_TRUE(b.s.w.robot.cleared) << p.id;
    EXPECT_TRUE(ran(b.s, p.commands)) << p.id;

    Bench tight;
    tight.setup(catalogue_map(p.id), std::string(p.slots[0]), std::string(p.slots[1]),
                p.entered_bytes, p.msteps - 1, p.mlastfail, p.E);
    tight.candidate(p.A, p.B, p.C, p.D, p.E);
    tight.s.w.simulate();
    EXPECT_FALSE(tight.s.w.robot.cleared) << p.id;
  }
  EXPECT_GT(seen, 0);
}

TEST(LinearInterpreter, RunsAllocateNothing) {
  Bench b;
  targets(b, "srs", "lsl");
  b.candidate(1, -1, 1, -1, 6);
  b.s.w.simulate();
  const std::size_t before = g_allocations;
  for (int i = 0; i < 100; ++i) b.s.w.simulate();
  EXPECT_EQ(g_allocations, before);

  // The search's groups: once a first sweep has sized the buffers, the
  // same sweep again allocates nothing (ranges of D cut into many pieces,
  // on a field of targets).
  Bench g;
  targets(g, "s", "rs");
  g.candidate(1, -3, 2, 0, 9);
  const auto never = [](int, int) { return false; };
  const auto sweep = [&] {
    for (int b = -40; b < 0; ++b) {
      g.s.w.B = b;
      g.s.w.decide(-255, 255, never);
    }
  };
  sweep();
  const std::size_t warm = g_allocations;
  sweep();
  EXPECT_EQ(g_allocations, warm);
  EXPECT_GT(g.s.w.simulated, 1000u);  // many pieces were run
}

}  // namespace
}  // namespace solver
