// Main-line prefixes that leave the robot in the same state.
//
// Every candidate below a combination of the other slots runs its main-line
// prefix and then the very same commands (the first call and the levels do
// not depend on the prefix, its length aside).  Every prefix of one length
// ends at the same step; two that leave the robot on the same cell, with the
// same heading and the same targets collected since the same latest gray
// cell, leave it in the same state, and from there the same commands end the
// same way at the same step.  So a later such prefix clears exactly when the
// earlier one does: the earlier one, run first, either cleared (and the
// search ended there) or did not, and then neither does the later one, which
// need not run.  The states depend on the map and the limits only, so each
// length is looked at once per worker, running its prefixes on the robot.
#pragma once

#include <algorithm>
#include <set>
#include <vector>

#include "engine.hpp"

namespace solver {

template <int N>
const std::uint8_t* FixedSearch<N>::first_prefixes(int length) {
  if (length < 0 || length > kMostComparedPrefix) return nullptr;
  std::vector<std::uint8_t>& first = prefix_first[static_cast<std::size_t>(length)];
  if (!first.empty()) return first.data();
  // The robot runs the prefixes as a candidate would; what it counts for
  // the runs of the search stays as it was.
  const std::uint64_t commands = robot.commands + static_cast<std::uint64_t>(robot.steps);
  const std::uint64_t wall_moves = robot.wall_moves;
  const std::uint64_t collections = robot.collections;
  code_parts prefix;
  prefix.length = length;
  getsss(prefix);
  std::set<std::vector<int>> seen;
  std::vector<int> state;
  do {
    robot.reset();
    bool to_run = true;
    if (jikkoujj(robot, prefix.code) == 0) {
      state.assign({robot.x, robot.y, robot.vect, robot.lastfail});
      const int n = robot.collected_count();
      for (int i = 0; i < n; ++i) state.push_back(robot.collected_cell(i));
      std::sort(state.begin() + 4, state.end());
      to_run = seen.insert(state).second;
    }
    // A prefix that stops the run (or clears) runs: it costs its own
    // commands only.
    first.push_back(to_run ? 1 : 0);
  } while (getnew0(prefix) != -1);
  robot.reset();
  robot.commands = commands;
  robot.wall_moves = wall_moves;
  robot.collections = collections;
  return first.data();
}

}  // namespace solver
