// The linear-template search: a(T):[1]a(AT+B)[2]a(CT+D), a(E).
//
// The user types the fragments of [1] and [2] once; the search enumerates the
// integers A, B, C, D and E and runs every combination on the robot.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "console.hpp"
#include "fast_robot.hpp"
#include "grid.hpp"
#include "limits.hpp"

namespace solver {

// How a group of candidates ended: all decided without a clear, one
// cleared, or the search asked to stop.
enum class Decided { None, Cleared, Stopped };

// What one search thread needs: the compiled fragments, the candidate, the
// robot and the counts.  The candidates of one E, A, C and B (every D) are
// decided together, see LinearWorker::decide.  Workers of a parallel pass
// sit side by side in a vector: each starts on its own cache line.
struct alignas(64) LinearWorker {
  // Deepest call of a, the main-line call being depth 1.
  static constexpr int kMaxDepth = 1300;
  // Largest argument a call accepts.
  static constexpr long long kMaxArgument = 255;

  std::vector<std::uint8_t> j;   // [1], compiled
  std::vector<std::uint8_t> jj;  // [2], compiled

  // The candidate being tried (after a clear: the one that cleared).
  int A = 0;
  int B = 0;
  int C = 0;
  int D = 0;
  int E = 0;

  LinearRobot robot;
  std::uint64_t candidates = 0;  // in search order
  std::uint64_t simulated = 0;   // runs actually made on the robot

  // Test hook: called for every candidate in search order with D set (the
  // robot state is that of the candidate only when it was really run).
  std::function<void(const LinearWorker&)> on_candidate;

  // The procedure a: 0 on completion, -1 as soon as anything fails.
  int f(long long t, int depth);

  // One whole run of the current candidate, as the template reads: reset,
  // then the main-line call a(E).  The robot shows the outcome.
  void simulate();

  // Decides the candidates D = dlo..dhi (in order) of the current E, A, C,
  // B.  `done(first, last)` is called after the candidates D = first..last
  // have been decided without a clear (D is set to `first`); when it returns
  // true the group stops.  Returns true when candidate D cleared (the robot
  // holds the clear's step count).  Counts every candidate decided.
  template <class Done>
  Decided decide(int dlo, int dhi, Done&& done);

  int clear_steps = 0;  // step count of the clear decide found

 private:
  template <class Done>
  bool decide_group(int first, int last, Done& done);
  std::vector<long long> chain;  // arguments of the left-hand chain
  // A call still to make: [2], then a(C·u+D) at `depth`, u = alpha + beta·D;
  // `parent` is the entry after it (-1: none).
  struct Node {
    long long alpha, beta;
    int depth, parent;
  };
  std::vector<Node> nodes;
  // A range of D cut off to be run later from a mark.
  struct Piece {
    LinearRobot::Mark mark;
    int head;
    std::size_t nodes;
    long long alpha, beta;
    int depth, lo, hi;
  };
  std::vector<Piece> pending;
};

// The whole state of one linear search.
struct LinearSearch {
  static constexpr int kMaxDepth = LinearWorker::kMaxDepth;
  static constexpr long long kMaxArgument = LinearWorker::kMaxArgument;

  explicit LinearSearch(Console& console) : c(console) {}

  Console& c;
  Grid grid;
  Limits lim;  // bytes as entered, templatebytes 0; restart unused

  std::string j;   // fragment of [1]: "s", "r", "l" only, may be empty
  std::string jj;  // fragment of [2]
  int startE = 0;
  long long newbytes = 0;  // coefficient budget, shared as |A| + |C|
  // Stop runs that can no longer clear (Robot::prune); the outcome of every
  // candidate is unchanged.
  bool prune = true;

  // The main thread's worker: the serial search, and the candidate shown on
  // a key press or printed as the solution.
  LinearWorker w;
  // Copies of `w` for the threads of a parallel pass.
  std::vector<LinearWorker> workers;

  // Candidates in search order and runs made, all threads together.
  std::uint64_t runs = 0;
  std::uint64_t simulated = 0;
  std::uint64_t commands = 0;

  // The program: dialogue, enumeration, "search_end".
  void main_flow();

  // Map, template line, the two fragments and the four integers; sets
  // `newbytes`.
  void dialogue();

  // Compiles the fragments and binds the robot; the search calls it.
  void prepare();

  // Every E from startE down to 0 with its A, C, B, D candidates.
  void search();

  // The filled template and both fragments, three lines.
  void PRINT_CODE();

 private:
  void search_serial();
  bool search_e_serial(LinearWorker& wk);
  bool search_e_parallel(int threads);
  [[noreturn]] void report(const LinearWorker& winner);
  void record();
};

}  // namespace solver
