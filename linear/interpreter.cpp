#include <ostream>

#include "search.hpp"

namespace solver {

// Every run is bounded: each call with an argument from 1 to 255 that
// completes runs [2], and a call that makes no command on its way down is one
// of at most kMaxDepth nested ones, so a run makes O(msteps + kMaxDepth) calls.
int LinearWorker::f(long long t, int depth) {
  if (depth > kMaxDepth) return -1;
  if (t <= 0) return 0;
  if (t > kMaxArgument) return -1;
  if (robot.run(j) == -1) return -1;
  if (f(A * t + B, depth + 1) == -1) return -1;
  if (robot.run(jj) == -1) return -1;
  return f(C * t + D, depth + 1);
}

void LinearWorker::simulate() {
  robot.reset();
  ++simulated;
  // With both fragments empty no call can ever move the robot, so no target
  // can be collected: the run fails at once instead of making up to 2^E calls.
  if (j.empty() && jj.empty()) return;
  f(E, 1);
}

void LinearSearch::PRINT_CODE() {
  c.out << "a(T):[1]a(" << w.A << "T+" << w.B << ")[2]a(" << w.C << "T+" << w.D << "), a(" << w.E
        << ")" << std::endl;
  c.out << "[1]=" << j << std::endl;
  c.out << "[2]=" << jj << std::endl;
}

}  // namespace solver
