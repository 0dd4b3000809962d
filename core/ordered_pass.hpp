// An ordered parallel pass over the units of a search.
//
// The search space of a pass (one length distribution, say) is cut into
// units numbered 0, 1, 2, ... in search order.  Every worker walks the same
// sequence of unit boundaries with its own copy of the search state and runs
// only the units it claims; claims are handed out in increasing order, one
// atomic increment per unit, never per candidate.  A worker that clears the
// map in unit k reports k; the earliest such unit wins, and since each unit
// runs its candidates in order, the first clear of the earliest unit is the
// first clear in search order.  Workers stop as soon as their unit lies after
// a reported clear; units before it always run to their end.
//
// The coordinator (the thread that calls run) watches the keyboard.  To show
// the search position it parks every worker between two candidates; the
// parked worker with the earliest unit then holds a candidate before which
// every candidate of the search has been run, which is a position from which
// a resumed search loses nothing.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace solver {

// Number of search threads: SOLVER_THREADS, or every hardware thread.
int search_threads();

class OrderedPass {
 public:
  static constexpr std::uint64_t kNone = ~std::uint64_t{0};

  // One worker's place in the pass, on cache lines of its own (the worker
  // writes it after every candidate).
  struct alignas(64) Cursor {
    int worker = 0;
    std::uint64_t seen = 0;      // unit boundaries walked past
    std::uint64_t claimed = 0;   // the unit this worker runs next
    std::uint64_t unit = kNone;  // the unit being run
    bool running = false;
    bool parked = false;
    // Candidates run in the current unit: the engine adds one per run.
    std::uint64_t candidates = 0;
    // (unit, candidates run in it) for every unit this worker entered.
    std::vector<std::pair<std::uint64_t, std::uint64_t>> units_run;
  };

  enum class Gate { Run, Skip, Stop };

  explicit OrderedPass(int workers);

  // Worker side.  At every unit boundary, in walk order: run this unit,
  // skip it, or stop walking (everything left lies after a clear).
  Gate enter_unit(Cursor& cur);
  // After every candidate: true when the worker must stop.  Parks the
  // worker while the coordinator looks at the position.  One relaxed load
  // while nothing is asked of the workers.
  bool checkpoint(Cursor& cur) {
    if (!attention_.load(std::memory_order_relaxed)) return false;
    return slow_checkpoint(cur);
  }
  // The candidate just run in the worker's current unit cleared the map.
  void found(Cursor& cur);

  // Coordinator side.  Runs work(cursor) on every worker and waits for all.
  // While waiting, `wants_attention` is asked every few milliseconds; when it
  // says yes, the workers are parked and `attend` is called with the index
  // of the parked worker holding the earliest unit (or -1 when none is
  // parked).  An exception from `attend` stops the workers and is rethrown
  // once they have ended.  `meanwhile`, when given, is work of the
  // coordinator's own done while the workers run: it is called again and
  // again (the keyboard asked between calls) until it returns false or the
  // workers have all finished.  `progress`, when given, is called between
  // those calls and every few milliseconds while the coordinator waits (to
  // show how far the workers have come); an exception from it stops the
  // workers as one from `attend` does.
  void run(const std::function<void(Cursor&)>& work, const std::function<bool()>& wants_attention,
           const std::function<void(int)>& attend, const std::function<bool()>& meanwhile = nullptr,
           const std::function<void()>& progress = nullptr);

  // After run: the earliest unit with a clear and the worker that found it.
  std::uint64_t best_unit() const { return best_.load(); }
  int best_worker() const { return best_worker_; }
  // Candidates in search order up to the clear (or all, without one), the
  // same for every number of workers; and every candidate actually run.
  std::uint64_t candidates_in_order() const { return in_order_; }
  std::uint64_t candidates_run() const { return run_; }

 private:
  bool slow_checkpoint(Cursor& cur);
  static void close_unit(Cursor& cur);
  void update_attention();

  const int workers_;
  // The claim counter changes with every unit; the flags workers read after
  // every candidate keep to another cache line.
  alignas(64) std::atomic<std::uint64_t> next_{0};
  alignas(64) std::atomic<std::uint64_t> best_{kNone};
  std::atomic<bool> attention_{false};
  std::atomic<bool> pausing_{false};
  std::atomic<bool> abort_{false};
  int best_worker_ = -1;
  std::uint64_t in_order_ = 0;
  std::uint64_t run_ = 0;

  std::mutex mu_;
  std::condition_variable workers_cv_;  // parked workers wait here
  std::condition_variable coord_cv_;    // the coordinator waits here
  int parked_ = 0;
  int finished_ = 0;
  std::vector<Cursor*> cursors_;
};

}  // namespace solver
