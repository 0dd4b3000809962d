// Deciding the candidates of one E, A, C and B: every D at once.
//
// A run of a(t) with 1 <= t <= 255 is [1] a(A·t+B) [2] a(C·t+D), and D
// enters only through the right-hand calls.  So every run of the group
// starts down the same chain of left-hand calls
//   a(t0 = E), a(t1 = A·t0+B), a(t2 = A·t1+B), ...
// each running [1] first, until an argument leaves 1..255 (or the depth
// limit is passed).  That chain, and the [2] of its last call when the call
// below it returns at once, is run once; the robot is marked there and each
// D continues from the mark (LinearRobot::restore gives back exactly the
// state the run had), climbing the chain back up:
//   a(C·t_k+D) [2] a(C·t_{k-1}+D) ... [2] a(C·t0+D).
// Each candidate therefore makes exactly the commands of its own full run,
// in the same order, and ends the same way with the same step count.
#pragma once

#include "search.hpp"

namespace solver {

template <class Done>
bool LinearWorker::decide_group(int first, int last, Done& done) {
  candidates += static_cast<std::uint64_t>(last - first + 1);
  if (on_candidate) {
    for (D = first; D <= last; ++D) on_candidate(*this);
  }
  D = first;
  return done(first, last);
}

template <class Done>
Decided LinearWorker::decide(int dlo, int dhi, Done&& done) {
  const auto cleared_at = [&](int d) {
    D = d;
    ++candidates;
    clear_steps = robot.steps;
    if (on_candidate) on_candidate(*this);
    return Decided::Cleared;
  };
  const auto rest = [&](int first) {
    return decide_group(first, dhi, done) ? Decided::Stopped : Decided::None;
  };
  // a(E) with E <= 0 returns at once, above 255 it fails at once, and with
  // both fragments empty nothing ever moves: no candidate of this E clears.
  if (E <= 0 || E > kMaxArgument || (j.empty() && jj.empty())) return rest(dlo);

  robot.reset();
  ++simulated;
  chain.clear();
  long long t = E;
  int depth = 1;
  while (t >= 1 && t <= kMaxArgument && depth <= kMaxDepth) {
    chain.push_back(t);
    // A stop in the chain is the stop of every D; a clear there is the
    // clear of the first D.
    if (robot.run(j) != 0) return robot.cleared ? cleared_at(dlo) : rest(dlo);
    t = static_cast<long long>(A) * t + B;
    ++depth;
  }
  // The call ending the chain fails before any command (depth or argument
  // above 255), whatever D is: every run of the group fails there.
  if (depth > kMaxDepth || t > kMaxArgument) return rest(dlo);
  // It returns at once (t <= 0): the last chain call goes on with [2].
  if (robot.run(jj) != 0) return robot.cleared ? cleared_at(dlo) : rest(dlo);

  const LinearRobot::Mark mark = robot.mark();
  const int levels = static_cast<int>(chain.size());
  for (int d = dlo; d <= dhi; ++d) {
    robot.restore(mark);
    ++simulated;
    D = d;
    // Level i of the chain is the call at depth i + 1; its right-hand call
    // is at depth i + 2.
    int rc = f(static_cast<long long>(C) * chain[levels - 1] + d, levels + 1);
    for (int i = levels - 2; i >= 0 && rc == 0; --i) {
      rc = robot.run(jj);
      if (rc == 0) rc = f(static_cast<long long>(C) * chain[i] + d, i + 2);
    }
    if (robot.cleared) return cleared_at(d);
    if (decide_group(d, d, done)) return Decided::Stopped;
  }
  return Decided::None;
}

}  // namespace solver
