// The linear-template search: a(T):[1]a(AT+B)[2]a(CT+D), a(E).
//
// The user types the fragments of [1] and [2] once; the search enumerates the
// integers A, B, C, D and E and runs every combination on the robot.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "console.hpp"
#include "grid.hpp"
#include "limits.hpp"
#include "robot.hpp"

namespace solver {

// The whole state of one linear search.  One worker owns it.
struct LinearSearch {
  // Deepest call of a, the main-line call being depth 1.
  static constexpr int kMaxDepth = 1300;
  // Largest argument a call accepts.
  static constexpr long long kMaxArgument = 255;

  explicit LinearSearch(Console& console) : c(console) {}

  Console& c;
  Grid grid;
  Limits lim;  // bytes as entered, templatebytes 0; restart unused

  std::string j;   // fragment of [1]: "s", "r", "l" only, may be empty
  std::string jj;  // fragment of [2]
  int startE = 0;
  long long newbytes = 0;  // coefficient budget, shared as |A| + |C|

  // The candidate being tried (also while a solution is printed).
  int A = 0;
  int B = 0;
  int C = 0;
  int D = 0;
  int E = 0;

  Robot robot;

  // Test hooks: runs made so far, and an optional observer called after
  // every run of the search (it sees the candidate and where the robot stopped).
  std::uint64_t runs = 0;
  std::function<void(const LinearSearch&)> on_run;

  // The program: dialogue, enumeration, "search_end".
  void main_flow();

  // Map, template line, the two fragments and the four integers; sets
  // `newbytes` and binds the robot.
  void dialogue();

  // Every E from startE down to 0 with its A, C, B, D candidates.
  void search();

  // One run of the current candidate; a clear reports it and ends the program.
  void run_candidate();

  // Resets the robot and makes the main-line call a(E).
  void simulate();

  // The procedure a: 0 on completion, -1 as soon as anything fails.
  int f(long long t, int depth);

  // The filled template and both fragments, three lines.
  void PRINT_CODE();
};

}  // namespace solver
