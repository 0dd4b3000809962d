// The counter template run word for word: strings rebuilt at every level,
// the robot without early stops, every count tried in full.  The engine's
// compiled runs are checked against it.
#pragma once

#include <string>

#include "robot.hpp"

namespace solver::testing {

struct LiteralCounter {
  Robot robot;
  std::string j, a, jj, aa;

  // The procedure a with argument x and count n.
  int call(const std::string& x, int n) {
    if (n <= 0) return 0;
    if (body(j, x) == -1) return -1;
    std::string next;
    for (const char ch : a) next += ch == 'X' ? x : std::string(1, ch);
    if (next.size() > static_cast<std::size_t>(robot.msteps)) return -1;
    if (call(next, n - 1) == -1) return -1;
    return body(jj, x);
  }

  int body(const std::string& code, const std::string& x) {
    for (const char ch : code) {
      const std::string piece = ch == 'X' ? x : std::string(1, ch);
      if (jikkoujj(robot, piece) == -1) return -1;
    }
    return 0;
  }

  // The first count whose run clears and its step count, or 0.
  int first_clear(int& steps) {
    for (int t = 1; t <= 19; ++t) {
      robot.reset();
      call(aa, t);
      if (robot.cleared) {
        steps = robot.steps;
        return t;
      }
    }
    return 0;
  }
};

}  // namespace solver::testing
