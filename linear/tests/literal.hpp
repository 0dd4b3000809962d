// The linear template run exactly as written, for comparisons: the
// fragments as strings executed by the plain robot, the procedure a(T) with
// its depth and argument limits, no pruning and nothing shared between runs.
#pragma once

#include <string>

#include "grid.hpp"
#include "robot.hpp"

namespace solver::testing {

struct LiteralLinear {
  const Grid* grid = nullptr;
  std::string j, jj;
  int msteps = 0, mlastfail = 0;
  long long A = 0, B = 0, C = 0, D = 0;
  Robot robot;

  int a(long long t, int depth) {
    if (depth > 1300) return -1;
    if (t <= 0) return 0;
    if (t > 255) return -1;
    if (jikkoujj(robot, j) == -1) return -1;
    if (a(A * t + B, depth + 1) == -1) return -1;
    if (jikkoujj(robot, jj) == -1) return -1;
    if (a(C * t + D, depth + 1) == -1) return -1;
    return 0;
  }

  // One run of a(E): the step count of its clear, or 0.
  int run(long long E) {
    robot.bind(*grid, msteps, mlastfail);
    robot.reset();
    if (!j.empty() || !jj.empty()) a(E, 1);
    return robot.cleared ? robot.steps : 0;
  }
};

}  // namespace solver::testing
