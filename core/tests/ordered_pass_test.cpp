#include "ordered_pass.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <set>
#include <stdexcept>
#include <vector>

namespace solver {
namespace {

// A synthetic search: `units` units of `per_unit` candidates each, walked in
// order; the candidates listed in `clears` clear the map.
struct Synthetic {
  int units = 400;
  int per_unit = 40;
  int spin_per_candidate = 200;
  std::set<int> clears;  // unit * per_unit + candidate
  std::vector<std::atomic<int>> done = std::vector<std::atomic<int>>(400);
  std::vector<std::atomic<int>> position = std::vector<std::atomic<int>>(64);
  std::vector<int> found_at = std::vector<int>(64, -1);

  void work(OrderedPass& pass, OrderedPass::Cursor& cur) {
    for (int u = 0; u < units; ++u) {
      const auto gate = pass.enter_unit(cur);
      if (gate == OrderedPass::Gate::Stop) return;
      if (gate == OrderedPass::Gate::Skip) continue;
      for (int k = 0; k < per_unit; ++k) {
        const int cand = u * per_unit + k;
        volatile int spin = 0;
        for (int s = 0; s < spin_per_candidate; ++s) spin = spin + s;
        position[cur.worker].store(cand);
        ++cur.candidates;
        if (clears.count(cand)) {
          found_at[cur.worker] = cand;
          pass.found(cur);
          return;
        }
        if (pass.checkpoint(cur)) return;
      }
      done[u].store(1);
    }
  }
};

TEST(OrderedPass, EarliestClearWinsWhateverTheThreadCount) {
  for (int threads : {1, 2, 3, 8}) {
    Synthetic s;
    s.clears = {300 * 40 + 7, 120 * 40 + 39, 121 * 40 + 0, 399 * 40};
    OrderedPass pass(threads);
    pass.run([&](OrderedPass::Cursor& c) { s.work(pass, c); }, [] { return false; }, [](int) {});
    ASSERT_EQ(pass.best_unit(), 120u) << threads;
    EXPECT_EQ(s.found_at[pass.best_worker()], 120 * 40 + 39);
    EXPECT_EQ(pass.candidates_in_order(), 120u * 40 + 40);
    EXPECT_GE(pass.candidates_run(), pass.candidates_in_order());
    for (int u = 0; u < 120; ++u) EXPECT_EQ(s.done[u].load(), 1) << u;
  }
}

TEST(OrderedPass, NoClearRunsEveryUnitOnce) {
  Synthetic s;
  OrderedPass pass(4);
  pass.run([&](OrderedPass::Cursor& c) { s.work(pass, c); }, [] { return false; }, [](int) {});
  EXPECT_EQ(pass.best_unit(), OrderedPass::kNone);
  EXPECT_EQ(pass.candidates_in_order(), 400u * 40);
  EXPECT_EQ(pass.candidates_run(), 400u * 40);
  for (int u = 0; u < s.units; ++u) EXPECT_EQ(s.done[u].load(), 1) << u;
}

TEST(OrderedPass, ParkedPositionHasEveryEarlierCandidateRun) {
  Synthetic s;
  s.per_unit = 100;
  s.spin_per_candidate = 3000;  // long enough for the coordinator to look
  std::atomic<int> asks{0};
  int attended = 0;
  OrderedPass pass(3);
  pass.run([&](OrderedPass::Cursor& c) { s.work(pass, c); },
           [&] { return ++asks % 2 == 1 && attended < 5; },
           [&](int earliest) {
             if (earliest < 0) return;
             ++attended;
             const int cand = s.position[earliest].load();
             const int unit = cand / s.per_unit;
             for (int u = 0; u < unit; ++u) EXPECT_EQ(s.done[u].load(), 1) << u;
           });
  EXPECT_GT(attended, 0);
  for (int u = 0; u < s.units; ++u) EXPECT_EQ(s.done[u].load(), 1) << u;
}

// A pass whose coordinator side fails (`start` runs it so): the failure comes
// out of run, and the workers stop long before the last unit.
template <typename Start>
void failure_stops_every_worker(const Start& start) {
  Synthetic s;
  s.per_unit = 2000;
  OrderedPass pass(2);
  const std::function<void(OrderedPass::Cursor&)> work = [&](OrderedPass::Cursor& c) {
    s.work(pass, c);
  };
  EXPECT_THROW(start(pass, work), std::runtime_error);
  EXPECT_EQ(s.done[s.units - 1].load(), 0);
}

TEST(OrderedPass, AnExceptionWhileAttendingStopsEveryWorker) {
  failure_stops_every_worker([](OrderedPass& pass, const auto& work) {
    pass.run(
        work, [] { return true; }, [](int) { throw std::runtime_error("q"); });
  });
}

// The coordinator's own work while the workers run: done step by step until
// it says it is finished, never after the workers have all ended, the
// keyboard still asked between steps; a failure in it stops the workers and
// comes out of run.
TEST(OrderedPass, TheCoordinatorWorksMeanwhileAndStillWatchesTheKeyboard) {
  Synthetic s;
  s.per_unit = 100;
  s.spin_per_candidate = 2000;
  int steps = 0;
  int asks = 0;
  int asks_before_done = -1;
  bool workers_running = true;
  OrderedPass pass(2);
  pass.run([&](OrderedPass::Cursor& c) { s.work(pass, c); },
           [&] {
             ++asks;
             return false;
           },
           [](int) {},
           [&] {
             // Every unit done would mean the workers had finished.
             workers_running = workers_running && s.done[s.units - 1].load() == 0;
             if (++steps < 5) return true;
             asks_before_done = asks;
             return false;
           });
  EXPECT_EQ(steps, 5);
  EXPECT_TRUE(workers_running);
  EXPECT_GE(asks_before_done, 4);
  EXPECT_EQ(pass.candidates_run(), 400u * 100);

  failure_stops_every_worker([](OrderedPass& pass, const auto& work) {
    pass.run(
        work, [] { return false; }, [](int) {},
        []() -> bool { throw std::runtime_error("no memory"); });
  });
}

// Progress is shown while the workers run, between the coordinator's own
// steps and, once those are done, every few milliseconds while it waits; a
// failure in it stops the workers and comes out of run.
TEST(OrderedPass, ProgressIsShownWhileTheWorkersRun) {
  Synthetic s;
  s.per_unit = 100;
  s.spin_per_candidate = 4000;
  int steps = 0;
  int shown_while_running = 0;
  int shown_after_steps = 0;
  OrderedPass pass(2);
  pass.run([&](OrderedPass::Cursor& c) { s.work(pass, c); }, [] { return false; }, [](int) {},
           [&] { return ++steps < 3; },
           [&] {
             if (s.done[s.units - 1].load() != 0) return;
             ++shown_while_running;
             if (steps >= 3) ++shown_after_steps;
           });
  EXPECT_GE(shown_while_running, 3);
  EXPECT_GE(shown_after_steps, 1);
  EXPECT_EQ(pass.candidates_run(), 400u * 100);

  failure_stops_every_worker([](OrderedPass& pass, const auto& work) {
    pass.run(
        work, [] { return false; }, [](int) {}, nullptr,
        [] { throw std::runtime_error("output closed"); });
  });
}

}  // namespace
}  // namespace solver
