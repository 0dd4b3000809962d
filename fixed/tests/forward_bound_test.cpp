// The bound of forward commands by the function's slots, against runs of the
// literal interpreter that count what they execute.
#include "forward_bound.hpp"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "fixed_harness.hpp"
#include "literal.hpp"

namespace solver::testing {
namespace {

// A robot that never stops before its step limit and counts the forward
// commands it executes.
struct CountingRobot {
  int msteps = 0;
  int steps = 0;
  long long goes = 0;
  bool cleared = false;

  void reset() {
    steps = 0;
    goes = 0;
  }
  int command(bool forward) {
    if (++steps >= msteps) return -1;
    goes += forward ? 1 : 0;
    return 0;
  }
  int go_straight() { return command(true); }
  int turn_right() { return command(false); }
  int turn_left() { return command(false); }
};

std::string random_fragment(std::mt19937& rng, int most, const std::string& alphabet) {
  std::string f(std::uniform_int_distribution<int>(0, most)(rng), 's');
  for (char& ch : f) {
    ch = alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(rng)];
  }
  return f;
}

struct Tally {
  int trials = 0;
  int exact = 0;
  int unknown = 0;
};

// Random slots, step limits and main lines; the main line is enumerated
// (each of its characters may be "s") unless `all_forward`, where it holds
// "s" only and the bound can meet the run exactly.
template <int N>
Tally check_bound(std::uint32_t seed, bool all_forward) {
  std::mt19937 rng(seed);
  const std::string letters = std::string("XYZ").substr(0, N);
  Tally t;
  ForwardBounds<N> bounds;
  for (int trial = 0; trial < 3000; ++trial) {
    std::vector<std::string> code(2 * N + 2);
    for (int i = 0; i <= N; ++i) code[i] = random_fragment(rng, 5, "srl" + letters);
    for (int i = N + 1; i < 2 * N + 2; ++i) {
      code[i] = random_fragment(rng, i == N + 1 ? 3 : 4, all_forward ? "s" : "srl");
    }
    const int msteps = std::uniform_int_distribution<int>(1, 300)(rng);
    std::array<code_parts, 2 * N + 2> slot;
    for (int i = 0; i < 2 * N + 2; ++i) slot[i] = part(code[i]);

    CountingRobot r;
    r.msteps = msteps;
    literal_run<N>(r, code, 4 * 300);
    const long long bound = bounds.of(slot, msteps);
    // Once more: the remembered bound is the same; and nothing kept from
    // the slots of earlier trials leaks into it (a fresh object agrees).
    EXPECT_EQ(bounds.of(slot, msteps), bound);
    EXPECT_EQ(ForwardBounds<N>().of(slot, msteps), bound);
    ++t.trials;
    if (bound < 0) {
      ++t.unknown;
      continue;
    }
    EXPECT_GE(bound, r.goes) << "seed " << seed << " trial " << trial << " msteps " << msteps;
    EXPECT_LE(bound, std::max(0, msteps - 1));
    if (bound == r.goes) ++t.exact;
  }
  return t;
}

TEST(ForwardBound, NeverBelowTheForwardCommandsOfARun) {
  for (const std::uint32_t seed : {1U, 2U, 3U}) {
    for (const Tally& t :
         {check_bound<1>(seed, false), check_bound<2>(seed, false), check_bound<3>(seed, false)}) {
      EXPECT_LT(t.unknown, t.trials / 50);
    }
  }
}

// With a main line of "s" only, the bound is the run's count unless the last
// call the run begins is cut short by the step limit.
TEST(ForwardBound, MeetsMostRunsOfForwardMainLinesExactly) {
  for (const Tally& t :
       {check_bound<1>(7, true), check_bound<2>(7, true), check_bound<3>(7, true)}) {
    EXPECT_GT(t.exact, t.trials / 2) << t.exact << " of " << t.trials;
  }
}

// The odometer's way: the slots other than the last function slot stay while
// their stamp does, and only that slot changes from node to node (with the
// limit, the prefix and the arguments read once per stamp).  Each bound is
// the one worked out from scratch.
template <int N>
void check_stamped(std::uint32_t seed) {
  std::mt19937 rng(seed);
  const std::string letters = std::string("XYZ").substr(0, N);
  ForwardBounds<N> walking;
  std::uint64_t stamp = 0;
  for (int outer = 0; outer < 300; ++outer) {
    std::array<code_parts, 2 * N + 2> slot;
    for (int i = 0; i < N; ++i) slot[i] = part(random_fragment(rng, 5, "srl" + letters));
    for (int i = N + 1; i < 2 * N + 2; ++i) {
      slot[i] = part(random_fragment(rng, i == N + 1 ? 3 : 4, "srl" + (i > N + 1 ? letters : "")));
      // Now and then fixed by the user, with or without letters.
      slot[i].fixed = rng() % 4 == 0 ? 1 : 0;
    }
    const int msteps = std::uniform_int_distribution<int>(1, 300)(rng);
    ++stamp;
    for (int node = 0; node < 12; ++node) {
      slot[N] = part(random_fragment(rng, 5, "srl" + letters));
      ForwardBounds<N> fresh;
      EXPECT_EQ(walking.of(slot, msteps, stamp), fresh.of(slot, msteps))
          << "seed " << seed << " outer " << outer << " node " << node;
    }
  }
}

TEST(ForwardBound, KeptPartsOfTheOuterSlotsGiveTheSameBounds) {
  check_stamped<1>(11);
  check_stamped<2>(12);
  check_stamped<3>(13);
}

// A main-line argument that the user fixed with parameter letters makes the
// cut change the course of a run: no bound then.  A fixed prefix counts its
// own forward commands only.
TEST(ForwardBound, FixedMainLineSlots) {
  std::array<code_parts, 4> slot{part("X"), part("X"), part(""), part("sX")};
  slot[3].fixed = 1;
  ForwardBounds<1> bounds;
  EXPECT_EQ(bounds.of(slot, 50), -1);
  slot[3] = part("ss");
  slot[3].fixed = 1;
  slot[2] = part("rXs");
  slot[2].fixed = 1;
  // Prefix: one forward command of two; then "ss" every call, 47 commands.
  EXPECT_EQ(bounds.of(slot, 50), 1 + 47);
  slot[3] = part("rs");
  slot[3].fixed = 1;
  EXPECT_EQ(bounds.of(slot, 50), 1 + 24);
}

}  // namespace
}  // namespace solver::testing
