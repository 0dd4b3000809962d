// The search of one length distribution on several threads.
//
// The odometer's levels are walked in search order by every worker, each
// with its own copy of the search state, down to a cut level; consecutive
// nodes of that level (a node fixes the slots of every level above and at
// the cut) are grouped into units, and OrderedPass hands the units out in
// order.  A worker goes below a node only when its unit is the worker's own,
// and then runs its candidates exactly as the single-threaded search does,
// stopping at its first clear; the clear of the earliest unit is the first
// clear in search order, so it is reported (after the pass) with the same
// candidate, step count and candidate count as with one thread.  The cut is
// the shallowest level with enough nodes to spread the pass, so that the
// levels below it (most of the walk, and the streams the function's slots
// call for) are walked and built by one worker only.
#pragma once

#include <algorithm>

#include "engine.hpp"
#include "input.hpp"
#include "progress.hpp"

namespace solver {

// Main-line fragments of the prefix's length: fragments over s, r, l without
// the turn runs rr, rl, lr or lll (at most unit_candidates are told apart).
// Only the size of the units depends on it.
template <int N>
std::uint64_t FixedSearch<N>::prefixes() const {
  const code_parts& jj = slot[kMain];
  if (jj.fixed == 1) return 1;
  // Fragments ending in s (or empty), r, l after a non-l, ll.
  std::uint64_t end_s = 1, end_r = 0, end_l = 0, end_ll = 0;
  for (int i = 0; i < jj.length; ++i) {
    const std::uint64_t s = end_s + end_r + end_l + end_ll;
    const std::uint64_t r = end_s;
    const std::uint64_t l = end_s;
    const std::uint64_t ll = end_l;
    const std::uint64_t cap = unit_candidates;
    end_s = std::min(s, cap);
    end_r = std::min(r, cap);
    end_l = std::min(l, cap);
    end_ll = std::min(ll, cap);
  }
  return std::min(end_s + end_r + end_l + end_ll, unit_candidates);
}

// Nodes of level `at` up to `limit`, walking the levels above it.
template <int N>
std::uint64_t FixedSearch<N>::count_nodes(int at, std::uint64_t limit) {
  walk = Walk::Count;
  cut = at;
  count_limit = limit;
  nodes = 0;
  stop_walk = false;
  level<0>();
  walk = Walk::Serial;
  stop_walk = false;
  return nodes;
}

// Tells whether the current distribution is large enough for a parallel
// pass, and chooses the cut level and the unit size.  The distribution
// holding a resumption start always runs on this thread.
template <int N>
bool FixedSearch<N>::worth_a_pass() {
  if (c.threads <= 1 || lim.restart == 1) return false;
  const auto threads = static_cast<std::uint64_t>(c.threads);
  // Combinations of the outer slots that make about unit_candidates
  // candidates; a pass needs units_per_worker of them per worker.
  const std::uint64_t least = std::max<std::uint64_t>(1, unit_candidates / prefixes());
  const std::uint64_t enough = least * units_per_worker * threads;
  constexpr int kLast = kSlots - 2;
  if (count_nodes(kLast, enough) < enough) return false;
  const std::uint64_t want = units_per_thread * threads;
  int at = 0;
  while (at < kLast && count_nodes(at, want) < want) ++at;
  // Between `want` and twice as many units, or units of `most` nodes when
  // the level has more (a level above the last may have billions).  At the
  // last level a unit need not be larger than about unit_candidates
  // candidates.
  constexpr std::uint64_t kMostGroup = 64;
  const std::uint64_t most = at == kLast ? least : kMostGroup;
  group = std::max<std::uint64_t>(1, count_nodes(at, want * most) / want);
  cut = at;
  return true;
}

template <int N>
void FixedSearch<N>::parallel_pass() {
  const int threads = c.threads;
  if (workers.empty()) {
    pool = std::make_unique<SharedStreams>(kSharedSlots);
    for (int w = 0; w < threads; ++w) {
      workers.push_back(std::make_unique<FixedSearch>(c, grid, lim));
      workers.back()->shared = pool.get();
    }
  }
  // The streams of the last pass are of other lengths.
  pool->clear();
  for (const std::unique_ptr<FixedSearch>& worker : workers) worker->arena.reset();
  OrderedPass ordered(threads);
  for (const std::unique_ptr<FixedSearch>& worker : workers) {
    FixedSearch& w = *worker;
    w.slot = slot;
    w.lim = lim;
    w.robot.prune = robot.prune;
    w.walk = Walk::Worker;
    w.stop_walk = false;
    w.nodes = 0;
    w.cut = cut;
    w.group = group;
    w.unit_runs = false;
    w.runs = 0;
    w.pass = &ordered;
  }
  const auto print_position = [this] { PRINT_CODE(0); };
  ordered.run(
      [this](OrderedPass::Cursor& cur) {
        FixedSearch& w = *workers[static_cast<std::size_t>(cur.worker)];
        w.cursor = &cur;
        w.level<0>();
      },
      [this] { return key_waiting(c); },
      [&](int earliest) {
        // With every worker finished the key waits for the next poll.
        if (earliest < 0) return;
        slot = workers[static_cast<std::size_t>(earliest)]->slot;
        on_key(c, grid, lim, print_position, kInputErrorLine, true);
      });
  simulated += ordered.candidates_in_order();
  runs += ordered.candidates_run();
  worker_commands = 0;
  for (const std::unique_ptr<FixedSearch>& w : workers) {
    worker_commands += w->robot.commands + static_cast<std::uint64_t>(w->robot.steps);
  }
  if (ordered.best_unit() != OrderedPass::kNone) {
    const FixedSearch& w = *workers[static_cast<std::size_t>(ordered.best_worker())];
    slot = w.slot;
    record_stats(c, simulated, runs, robot);
    if (c.stats != nullptr) c.stats->commands += worker_commands;
    report_clear(c, grid, lim, w.robot.steps, print_position);
  }
}

}  // namespace solver
