// The fixed-template engine, all of it.
#pragma once

#include "dialogues.hpp"
#include "distribution.hpp"
#include "engine.hpp"
#include "full_stream.hpp"
#include "interpreter.hpp"
#include "judgements.hpp"
#include "odometer.hpp"
#include "output.hpp"
#include "parallel.hpp"
#include "stream_cache.hpp"

namespace solver {

template <int N>
void FixedSearch<N>::search() {
  get_firstlength();
  // Runs that can no longer collect every target stop early; which
  // candidate clears first and its step count stay the same.
  robot.prune = true;
  c.keys.start();
  for (;;) {
    if (lenhantei() != -1) {
      const Plan plan = plan_distribution();
      if (plan == Plan::Batch) {
        batch.push_back(slot);
        if (batch_candidates >= batch_limit()) run_batch();
      } else {
        run_batch();
        print_length();
        if (plan == Plan::Pass) {
          parallel_pass();
        } else {
          getnewj();
        }
      }
    }
    if (get_newlength() == -1) break;
  }
  run_batch();
  c.keys.stop();
  record_stats(c, simulated, runs, robot);
  if (c.stats != nullptr) c.stats->commands += worker_commands;
  printtime(c, grid, lim);
  c.out << "search_end\n" << std::endl;
}

}  // namespace solver
