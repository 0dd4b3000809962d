// The fixed-template engine, all of it.
#pragma once

#include "dialogues.hpp"
#include "distribution.hpp"
#include "engine.hpp"
#include "full_stream.hpp"
#include "interpreter.hpp"
#include "judgements.hpp"
#include "literal.hpp"
#include "node_plans.hpp"
#include "odometer.hpp"
#include "output.hpp"
#include "parallel.hpp"
#include "prefix_states.hpp"
#include "run_prints.hpp"
#include "stream_cache.hpp"

namespace solver {

template <int N>
void FixedSearch<N>::search() {
  get_firstlength();
  // Runs that can no longer collect every target stop early; which
  // candidate clears first and its step count stay the same.
  robot.prune = true;
  c.keys.start();
  if (c.threads > 1 && !literal) {
    search_in_parallel();
  } else {
    bool started = false;
    while (next_distribution(started)) {
      print_length();
      getnewj();
    }
  }
  c.keys.stop();
  record_stats(c, simulated, runs, robot);
  if (c.stats != nullptr) c.stats->commands += worker_commands;
  printtime(c, grid, lim);
  c.out << "search_end\n" << std::endl;
}

// The distributions in order, as the planner plans them: a distribution
// holding a resumption start on this thread, then batches.
template <int N>
void FixedSearch<N>::search_in_parallel() {
  planner = std::make_unique<FixedSearch>(c, grid, lim);
  FixedSearch& p = *planner;
  p.lim.restart = 0;
  p.slot = slot;
  p.fixlen = fixlen;
  p.cutting = cutting;
  // The first batches are smaller, so that the workers start before the
  // coordinator has planned a whole batch's worth (later ones are planned
  // while the batch before them runs).
  std::uint64_t goal = std::max<std::uint64_t>(1, batch_limit() / kFirstBatchShare);
  Planned d;
  while (next_planned(d)) {
    if (lim.restart == 1) {
      // The resumption's distribution, on this thread.
      run_batch();
      slot = d.slots;
      print_length();
      getnewj();
      continue;
    }
    batch_candidates += d.candidates;
    batch.push_back(std::move(d));
    if (batch_candidates >= goal || batch.size() >= cutting.batch_distributions) {
      run_batch();
      goal = std::min(goal * 2, batch_limit());
    }
  }
  run_batch();
}

}  // namespace solver
