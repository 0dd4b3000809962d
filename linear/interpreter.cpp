#include <ostream>

#include "search.hpp"

namespace solver {

void LinearSearch::simulate() {
  robot.reset();
  ++runs;
  // With both fragments empty no call can ever move the robot, so no target
  // can be collected: the run fails at once instead of making up to 2^E calls.
  if (j.empty() && jj.empty()) return;
  f(E, 1);
}

// Every other run is bounded: each call with an argument from 1 to 255 that
// completes runs [2], and a call that makes no command on its way down is one
// of at most kMaxDepth nested ones, so a run makes O(msteps + kMaxDepth) calls.
int LinearSearch::f(long long t, int depth) {
  if (depth > kMaxDepth) return -1;
  if (t <= 0) return 0;
  if (t > kMaxArgument) return -1;
  if (jikkoujj(robot, j) == -1) return -1;
  if (f(A * t + B, depth + 1) == -1) return -1;
  if (jikkoujj(robot, jj) == -1) return -1;
  if (f(C * t + D, depth + 1) == -1) return -1;
  return 0;
}

void LinearSearch::PRINT_CODE() {
  c.out << "a(T):[1]a(" << A << "T+" << B << ")[2]a(" << C << "T+" << D << "), a(" << E << ")"
        << std::endl;
  c.out << "[1]=" << j << std::endl;
  c.out << "[2]=" << jj << std::endl;
}

}  // namespace solver
