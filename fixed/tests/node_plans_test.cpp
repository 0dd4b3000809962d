// The last function slot's level replayed by plan against the same level
// stepped through node by node.
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "fixed_harness.hpp"

namespace solver {
namespace {

using testing::Bench;
using testing::catalogue_grid;
using testing::search_status;

struct Outcome {
  int status = -1;
  std::string out;
  std::uint64_t simulated = 0;
  std::uint64_t runs = 0;
  std::uint64_t commands = 0;
  std::uint64_t bounded = 0;
  std::uint64_t subtrees = 0;
  std::uint64_t replays = 0;
};

template <int N>
Outcome searched(const std::string& id, int bytes, int msteps, int mlastfail, bool plans) {
  Bench<N> b(catalogue_grid(id), bytes, msteps, mlastfail);
  b.s->plan_nodes = plans;
  Outcome o;
  o.status = search_status(b);
  o.out = b.h.out.str();
  o.simulated = b.s->simulated;
  o.runs = b.s->runs;
  o.commands = b.s->robot.commands + static_cast<std::uint64_t>(b.s->robot.steps);
  o.bounded = b.s->bounded_skips;
  o.subtrees = b.s->subtrees_skipped;
  o.replays = b.s->plan_replays;
  return o;
}

// Whole searches, some clearing, with the level replayed and without: the
// same lines, the same first clear, the same candidates counted and run,
// the same commands, the same nodes skipped by the bound and as repeats.
template <int N>
void replayed_as_stepped(const std::string& id, int bytes, int msteps, int mlastfail, bool clears) {
  SCOPED_TRACE(id);
  const Outcome stepped = searched<N>(id, bytes, msteps, mlastfail, false);
  const Outcome replayed = searched<N>(id, bytes, msteps, mlastfail, true);
  EXPECT_EQ(stepped.status, clears ? 0 : -1);
  EXPECT_EQ(stepped.replays, 0u);
  EXPECT_GT(replayed.replays, 0u);
  EXPECT_EQ(replayed.status, stepped.status);
  EXPECT_EQ(replayed.out, stepped.out);
  EXPECT_EQ(replayed.simulated, stepped.simulated);
  EXPECT_EQ(replayed.runs, stepped.runs);
  EXPECT_EQ(replayed.commands, stepped.commands);
  EXPECT_EQ(replayed.bounded, stepped.bounded);
  EXPECT_EQ(replayed.subtrees, stepped.subtrees);
}

TEST(NodePlans, ReplayedLevelsRunWhatSteppedOnesRun) {
  replayed_as_stepped<3>("0003", 6, 10, 2, true);
  replayed_as_stepped<3>("0007", 7, 108, 0, false);
  replayed_as_stepped<2>("0006", 8, 47, 0, true);
  replayed_as_stepped<2>("0803", 7, 174, 0, false);
  replayed_as_stepped<1>("0009", 8, 336, 0, true);
  replayed_as_stepped<1>("0004", 8, 69, 0, false);
}

// Plans of a walk held to a few steps: a level that would take more is
// walked node by node, and the walk keeps no more plans (never more steps
// than allowed); every distribution runs the same candidates.
TEST(NodePlans, LevelsTooLongToKeepAreSteppedThrough) {
  const auto walk_all = [](bool plans, std::size_t most, std::size_t& most_kept,
                           std::uint64_t& replays) {
    Bench<3> b(catalogue_grid("0007"), 7, 108, 0);
    b.s->plan_nodes = plans;
    b.s->most_plan_steps = most;
    b.s->robot.prune = true;
    b.s->get_firstlength();
    bool started = false;
    while (b.s->next_distribution(started)) {
      b.s->getnewj();
      most_kept = std::max(most_kept, b.s->plan_steps.size());
    }
    replays = b.s->plan_replays;
    return std::make_pair(b.s->simulated, b.s->runs);
  };
  std::size_t unused = 0;
  std::uint64_t none = 0;
  const auto stepped = walk_all(false, 1, unused, none);
  for (const std::size_t most : {1, 4, 40}) {
    std::size_t kept = 0;
    std::uint64_t replays = 0;
    EXPECT_EQ(walk_all(true, most, kept, replays), stepped) << most;
    EXPECT_LE(kept, most) << most;
    if (most == 40) {
      EXPECT_GT(replays, 0u);
    }
  }
}

// A key waiting as the level is walked a second time below the same slots
// (so by its plan, with plans on), after a walk of the first distribution:
// the position shown, and what follows, is the one the node-by-node walk
// shows.
template <int N>
std::string key_below_walked_level(const std::string& id, int bytes, int msteps, bool plans,
                                   std::uint64_t& replays) {
  Bench<N> b(catalogue_grid(id), bytes, msteps, 0);
  b.s->plan_nodes = plans;
  b.s->robot.prune = true;
  b.s->get_firstlength();
  bool started = false;
  EXPECT_TRUE(b.s->next_distribution(started));
  b.s->getnewj();
  b.s->walk_last_level();
  const std::size_t from = b.h.out.str().size();
  const std::uint64_t before = b.s->plan_replays;
  b.h.keys.inject('a');
  b.s->walk_last_level();
  replays = b.s->plan_replays - before;
  EXPECT_FALSE(b.h.keys.kbhit());
  return b.h.out.str().substr(from);
}

template <int N>
void key_shows_the_stepped_position(const std::string& id, int bytes, int msteps) {
  SCOPED_TRACE(id);
  std::uint64_t none = 0;
  std::uint64_t replays = 0;
  const std::string stepped = key_below_walked_level<N>(id, bytes, msteps, false, none);
  const std::string replayed = key_below_walked_level<N>(id, bytes, msteps, true, replays);
  EXPECT_EQ(none, 0u);
  EXPECT_EQ(replays, 1u);
  EXPECT_FALSE(stepped.empty());
  EXPECT_EQ(replayed, stepped);
}

TEST(NodePlans, AKeyDuringAReplayShowsTheSteppedPosition) {
  key_shows_the_stepped_position<3>("0007", 7, 108);
  key_shows_the_stepped_position<2>("0803", 7, 174);
  key_shows_the_stepped_position<1>("0004", 8, 69);
}

}  // namespace
}  // namespace solver
