// The search of the length distributions on several threads.
//
// The distributions run in batches, each batch one ordered pass: its units
// are numbered in search order and OrderedPass hands them out in order.  A
// distribution of fewer than about 65,000 candidates (see Cutting) is one
// unit: one worker runs it from start to end exactly as the
// single-threaded search does, and works out its streams, bounds and
// verdicts alone (two workers that shared the units of one distribution
// would each work out most of them again).  A larger one is cut into units:
// every worker walks its levels in search order, each with its own copy of
// the search state, down to a cut level, and consecutive nodes of that
// level (a node fixes the slots of every level above and at the cut) make
// a unit; a worker goes below a node only when its unit is the worker's
// own.  The cut is the shallowest level with enough nodes to spread the
// distribution, so that the levels below it (most of the walk, and the
// streams the function's slots call for) are walked and built by one
// worker only.
//
// A worker runs the candidates of its units as the single-threaded search
// does, stopping at its first clear; the clear of the earliest unit is the
// first clear in search order, so it is reported (after the pass) with the
// same candidate, step count and candidate count as with one thread.  The
// workers go on from one distribution of a batch to the next without
// waiting for each other, so they wait only at the batch's end (for at most
// one distribution or unit, a small share of the batch).  The lines of the
// distributions are printed in order, as the search is known to have
// reached them.  Which way a distribution runs, and where its units are
// cut, is decided by counting walks of its outer levels; the coordinator
// makes them for the distributions ahead while the workers run a batch.
#pragma once

#include <algorithm>

#include "engine.hpp"
#include "input.hpp"
#include "progress.hpp"

namespace solver {

namespace parallel_detail {

// Counts of combinations stop growing here.
inline constexpr std::uint64_t kMost = std::uint64_t{1} << 63;

}  // namespace parallel_detail

// Main-line fragments of the prefix's length (at most unit_candidates are
// told apart).  Only the size of the units depends on it.
template <int N>
std::uint64_t FixedSearch<N>::prefixes() const {
  const code_parts& jj = slot[kMain];
  if (jj.fixed == 1) return 1;
  return std::min(main_fragments(jj.length), cutting.unit_candidates);
}

// The combinations of the first call's arguments that the judgement at the
// last of them lets through, for the function's slots as they stand: every
// argument takes each fragment of its length (a fixed one its own), and the
// judgement asks for some "s" and some turn outside the main-line prefix.
// Counted by inclusion and exclusion: all, less those without "s" when the
// function's slots have none, less those without turns when they have
// none, plus those with neither when both are missing.
template <int N>
void FixedSearch<N>::count_arguments() {
  // The counts depend on the arguments' lengths (and, for a fixed one, on
  // whether it holds "s" and turns) only, which stay those of the
  // distribution for a whole walk: worked out once per walk (level<0>).
  using parallel_detail::kMost;
  std::uint64_t all = 1, without_s = 1, without_turns = 1, neither = 1;
  for (int p = 0; p < N; ++p) {
    const code_parts& a = slot[kMainArg + p];
    const bool fixed = a.fixed == 1;
    const std::uint64_t n = fixed ? 1 : main_fragments(a.length);
    all = n != 0 && all > kMost / n ? kMost : all * n;
    // Without s: "", "r", "l", "ll"; without turns: all "s".
    const std::uint64_t no_s = fixed ? (a.scount == 0 ? 1 : 0)
                                     : (a.length == 0   ? 1
                                        : a.length == 1 ? 2
                                                        : a.length == 2);
    const std::uint64_t no_turn = fixed ? (a.turncount == 0 ? 1 : 0) : 1;
    const std::uint64_t none = fixed ? (a.scount == 0 && a.turncount == 0 ? 1 : 0) : a.length == 0;
    without_s *= no_s;
    without_turns *= no_turn;
    neither *= none;
  }
  // By whether the function's slots hold "s" (bit 1) and turns (bit 0).
  for (int k = 0; k < 4; ++k) {
    const bool has_s = (k & 2) != 0;
    const bool has_turn = (k & 1) != 0;
    std::uint64_t n = all;
    if (all != kMost) {
      if (!has_s) n -= without_s;
      if (!has_turn) n -= without_turns;
      if (!has_s && !has_turn) n += neither;
    }
    arguments_count[static_cast<std::size_t>(k)] = n;
  }
  arguments_known = true;
}

// Nodes of level `at` up to `limit`, walking the levels above it.
template <int N>
std::uint64_t FixedSearch<N>::count_nodes(int at, std::uint64_t limit) {
  walk = Walk::Count;
  cut = at;
  count_limit = limit;
  nodes = 0;
  counted_keys = {};  // counts of the last distribution counted
  stop_walk = false;
  level<0>();
  walk = Walk::Serial;
  stop_walk = false;
  return nodes;
}

// How the current distribution runs in a parallel search (without a
// resumption start): whole as one unit of its batch, or cut into units at a
// level of the odometer, and how many candidates it holds.
template <int N>
typename FixedSearch<N>::Planned FixedSearch<N>::plan_distribution() {
  Planned d;
  const auto threads = static_cast<std::uint64_t>(c.threads);
  // Combinations of the outer slots that make about unit_candidates
  // candidates; a pass' worth is units_per_worker such units per worker.
  const std::uint64_t least = std::max<std::uint64_t>(1, cutting.unit_candidates / prefixes());
  const std::uint64_t enough = least * cutting.units_per_worker * threads;
  // Fewer combinations than this (or than a pass' worth): the distribution
  // runs whole.
  const std::uint64_t whole = least * cutting.units_per_worker * cutting.whole_units;
  constexpr int kLast = kSlots - 2;
  const std::uint64_t combinations = count_nodes(kLast, std::max(whole, enough));
  d.candidates = combinations * prefixes();
  if (combinations < whole || combinations < enough) {
    d.cut = kSlots;
  } else {
    const std::uint64_t want = cutting.units_per_thread * threads;
    int at = 0;
    while (at < kLast && count_nodes(at, want) < want) ++at;
    // Between `want` and twice as many units, or units of kMostGroup nodes
    // when the level has more (a level above the last may have billions).
    // At the last level, units of a pass' worth of combinations shared
    // among `want` units (counting them all would only cost time).
    constexpr std::uint64_t kMostGroup = 64;
    d.cut = at;
    d.group = at == kLast ? std::max<std::uint64_t>(1, enough / want)
                          : std::max<std::uint64_t>(1, count_nodes(at, want * kMostGroup) / want);
  }
  d.slots = slot;
  return d;
}

// The planner's step: plans the next distribution of the search in order,
// if any is left.
template <int N>
bool FixedSearch<N>::plan_next() {
  if (planner_done) return false;
  if (!next_distribution(planner_started)) {
    planner_done = true;
    return false;
  }
  planned.push_back(plan_distribution());
  planned_candidates += planned.back().candidates;
  return true;
}

// Plans on ahead while a batch runs, up to the next batch's worth.  False
// once nothing more is worth planning now.
template <int N>
bool FixedSearch<N>::plan_ahead() {
  FixedSearch& p = *planner;
  if (p.planned_candidates >= batch_limit() || p.planned.size() >= cutting.batch_distributions) {
    return false;
  }
  return p.plan_next();
}

// The next distribution of the search and its plan; false after the last.
template <int N>
bool FixedSearch<N>::next_planned(Planned& d) {
  FixedSearch& p = *planner;
  if (p.planned.empty() && !p.plan_next()) return false;
  d = std::move(p.planned.front());
  p.planned.pop_front();
  p.planned_candidates -= d.candidates;
  return true;
}

// Workers ready for a pass: the search's state copied, the streams cached in
// the last pass dropped (they are of other lengths).
template <int N>
void FixedSearch<N>::prepare_workers(OrderedPass& ordered) {
  if (workers.empty()) {
    for (int w = 0; w < c.threads; ++w) {
      workers.push_back(std::make_unique<FixedSearch>(c, grid, lim));
    }
    if (own_prints == nullptr) own_prints = std::make_unique<PrintTable>(kPrintSlotsLog2);
    prints = own_prints.get();
    if (own_subtrees == nullptr) own_subtrees = std::make_unique<PrintTable>(kPrintSlotsLog2);
    subtrees = own_subtrees.get();
    for (const std::unique_ptr<FixedSearch>& worker : workers) {
      worker->prints = prints;
      worker->subtrees = subtrees;
    }
  }
  for (const std::unique_ptr<FixedSearch>& worker : workers) {
    FixedSearch& w = *worker;
    w.cache_index.clear();
    w.forget_recalled();
    w.weighed_streams.clear();
    w.loaded = -1;
    w.stream_stale = true;
    w.slot = slot;
    w.lim = lim;
    w.robot.prune = robot.prune;
    w.share_prefixes = share_prefixes;
    w.skip_repeats = skip_repeats;
    w.walk = Walk::Worker;
    w.stop_walk = false;
    w.nodes = 0;
    w.unit_runs = false;
    w.runs = 0;
    w.segment.store(0, std::memory_order_relaxed);
    w.pass = &ordered;
  }
}

// After a pass: the counts, and the clear of its earliest unit reported.
template <int N>
void FixedSearch<N>::finish_pass(const OrderedPass& ordered) {
  simulated += ordered.candidates_in_order();
  runs += ordered.candidates_run();
  worker_commands = 0;
  for (const std::unique_ptr<FixedSearch>& w : workers) {
    worker_commands += w->robot.commands + static_cast<std::uint64_t>(w->robot.steps);
  }
  if (ordered.best_unit() == OrderedPass::kNone) return;
  const FixedSearch& w = *workers[static_cast<std::size_t>(ordered.best_worker())];
  slot = w.slot;
  record_stats(c, simulated, runs, robot);
  if (c.stats != nullptr) c.stats->commands += worker_commands;
  report_clear(c, grid, lim, w.robot.steps, [this] { PRINT_CODE(0); });
}

// Runs a prepared pass: work(w) walks worker w's units; before a key shows
// the position of the earliest parked worker w, reached(w) is called, and
// every few milliseconds meanwhile, progress().
template <int N>
template <typename Work, typename Reached, typename Progress>
void FixedSearch<N>::run_pass(OrderedPass& ordered, const Work& work, const Reached& reached,
                              const Progress& progress) {
  ordered.run(
      [&, this](OrderedPass::Cursor& cur) {
        FixedSearch& w = *workers[static_cast<std::size_t>(cur.worker)];
        w.cursor = &cur;
        work(w);
      },
      [this] { return key_waiting(c); },
      [&, this](int earliest) {
        // With every worker finished the key waits for the next poll.
        if (earliest < 0) return;
        const FixedSearch& w = *workers[static_cast<std::size_t>(earliest)];
        reached(w);
        slot = w.slot;
        on_key(
            c, grid, lim, [this] { PRINT_CODE(0); }, kInputErrorLine, true);
      },
      [this] { return planner && plan_ahead(); }, progress);
}

// A batch of distributions as one pass.  Their lines are printed in order
// as the search is known to have reached them: as the slowest worker comes
// to them (every distribution before the one it is in has been searched),
// before a position is shown, and at the end through the last distribution
// or the one that clears.
template <int N>
void FixedSearch<N>::run_batch() {
  if (batch.empty()) return;
  const std::array<code_parts, kSlots> current = slot;
  std::size_t printed = 0;
  const auto print_through = [&](std::size_t last) {
    for (; printed <= last && printed < batch.size(); ++printed) {
      slot = batch[printed].slots;
      print_length();
    }
  };
  if (batch.size() == 1 && batch[0].cut == kSlots) {
    print_through(0);
    getnewj();
  } else {
    OrderedPass ordered(c.threads);
    prepare_workers(ordered);
    run_pass(
        ordered, [this](FixedSearch& w) { w.run_distributions(batch); },
        [&](const FixedSearch& w) { print_through(w.segment.load(std::memory_order_relaxed)); },
        [&, this] {
          // A worker that stopped early (at a clear, or after one) stays in
          // its distribution; one past the last has finished the batch.
          std::size_t slowest = batch.size();
          for (const std::unique_ptr<FixedSearch>& w : workers) {
            slowest = std::min(slowest, w->segment.load(std::memory_order_relaxed));
          }
          print_through(slowest);
        });
    const std::size_t last =
        ordered.best_unit() == OrderedPass::kNone
            ? batch.size() - 1
            : workers[static_cast<std::size_t>(ordered.best_worker())]->segment.load(
                  std::memory_order_relaxed);
    print_through(last);
    finish_pass(ordered);
  }
  batch.clear();
  batch_candidates = 0;
  slot = current;
}

// A worker's walk of a batch: each distribution one unit, or cut into
// units at its cut level; the units are numbered on from one distribution
// to the next.
template <int N>
void FixedSearch<N>::run_distributions(const std::vector<Planned>& all) {
  for (std::size_t at = 0; at < all.size(); ++at) {
    segment.store(at, std::memory_order_relaxed);
    const Planned& d = all[at];
    if (d.cut == kSlots) {
      const OrderedPass::Gate gate = pass->enter_unit(*cursor);
      if (gate == OrderedPass::Gate::Stop) return;
      if (gate == OrderedPass::Gate::Skip) continue;
    }
    slot = d.slots;
    cut = d.cut;
    group = d.group;
    nodes = 0;
    level<0>();
    if (stop_walk) return;
  }
  segment.store(all.size(), std::memory_order_relaxed);
}

}  // namespace solver
