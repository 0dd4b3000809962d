// The counter-template search "a(X):[1]a([2],T-1)[3],a([4])": the procedure a
// runs [1], calls itself with the argument built from [2] and the count less
// one, then runs [3]; the main line calls it with [4] and a count T tried
// from 1 to 19.  One worker owns the whole state of a search.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "console.hpp"
#include "grid.hpp"
#include "limits.hpp"
#include "ordered_pass.hpp"
#include "robot.hpp"
#include "runs.hpp"
#include "slots.hpp"

namespace solver {

inline constexpr std::string_view kCounterTemplateLine = "a(X):[1]a([2],T-1)[3],a([4])";
inline constexpr int kCounterTemplateBytes = 8;
inline constexpr int kCounterBudgetThreshold = 1;  // the slot budget must exceed it
inline constexpr int kCounterLastT = 19;           // T runs from 1 to this value

struct CounterSearch {
  explicit CounterSearch(Console& console) : c(console) {}
  CounterSearch(const CounterSearch&) = delete;
  CounterSearch& operator=(const CounterSearch&) = delete;

  Console& c;
  Grid grid;
  Limits lim;
  Robot robot;

  code_parts j;                         // [1]: run before the recursive call, X allowed
  code_parts a;                         // [2]: pattern of the recursive call's argument, X allowed
  code_parts jj;                        // [3]: run after the recursive call returns, X allowed
  code_parts aa;                        // [4]: argument of the main-line call, "s", "r", "l" only
  code_parts resj, resa, resjj, resaa;  // the position a resumed search starts from

  // Count of the main-line call: 0 before the first run, 20 between candidates.
  int T = 0;

  // The argument X of each level of a run (level 0 is [4]); a level's string
  // is not touched by the deeper levels.  Reused from run to run.
  std::array<std::string, kCounterLastT + 2> args;

  // The runs of the search, compiled and sharing their beginnings.
  CounterRuns fast;
  // Step count of the clear found by run_candidate().
  int clear_steps = 0;

  // Distributions with fewer candidates run on one thread: starting the
  // workers would cost more than it saves.  Tests lower it.
  double parallel_min_candidates = 1024;
  // Test hooks: distributions searched on the workers, those of them whose
  // [3] loops were cut into several units, and those with several triples
  // per unit.
  int parallel_passes = 0;
  int cut_passes = 0;
  int grouped_passes = 0;  // several triples per unit

  // Test hooks: candidates evaluated in search order, and a callback before
  // the runs of each candidate that is run (fast.runs counts the runs).
  std::uint64_t candidates = 0;
  std::function<void(CounterSearch&)> on_run;

  // Binds the robot to the grid and the limits and reserves the argument
  // buffers.  Call once the limits are known (search() does it).
  void prepare();

  // Restart dialogue (when lim.restart is 1): fills the resumption records.
  void input_restartcode();

  // Length distributions (L1..L4 in the `length` of j, a, jj, aa).
  void get_firstlength();
  int get_newlength();  // 0: next distribution set and printed; -1: none left

  // The search from the first distribution to "search_end" (a clear or "q"
  // ends the program earlier by ProgramExit).
  void search();

  // One length distribution: the slot odometer, [1] outermost, then [2],
  // [4], and [3] innermost.  Alone (pass null) every candidate is evaluated;
  // as a worker of `pass` only the units it claims are run.  False when the
  // worker has to stop (a clear, or everything left lies after one).
  // Units of a parallel pass: `group` consecutive triples [1], [2], [4]
  // with their whole [3] loops (chunk 0), or runs of `chunk` fragments of
  // the [3] loop of one triple.
  struct Units {
    std::uint64_t group = 1;
    std::uint64_t chunk = 0;
  };
  bool walk(OrderedPass* pass, OrderedPass::Cursor* cur, Units units);
  bool walk_jj(OrderedPass* pass, OrderedPass::Cursor* cur, Units units);
  // The distribution on several threads; false when it is better run alone.
  bool parallel_pass();
  // One candidate: its runs for every T (unless neither [1] nor [3] uses X),
  // then the key poll.
  void evaluate();
  // The runs of the current candidate; true when one clears (T and
  // clear_steps then tell which and how).
  bool run_candidate();
  // Counts for the statistics, the workers' runs included.
  void record();

  // Plain interpreter: one run of the current candidate with the current T.
  void simulate();
  int expand(int level, int n);  // the procedure a with X = args[level] and count n
  int jikkou(std::string_view code, std::string_view x);
  // Builds the next argument from [2] into `out`; stops once it holds more
  // than msteps letters (the run fails at its length test anyway).
  void recursion(std::string_view x, std::string& out);

  // Template line, the four slot lines, "T=" and the count.
  void PRINT_CODE(int mode);

 private:
  // Worker states of the parallel passes, made at the first one.
  std::vector<std::unique_ptr<CounterSearch>> workers_;
  // A worker's triples walked in the current pass, and whether it runs the
  // unit it is in.
  std::uint64_t triples_walked_ = 0;
  bool running_ = false;
};

// The whole program after the argument check: dialogues, then the search.
void run_counter(Console& c);

}  // namespace solver
