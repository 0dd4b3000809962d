// Deciding the candidates of one E, A, C and B: every D at once.
//
// A run of a(t) with 1 <= t <= 255 is [1] a(A·t+B) [2] a(C·t+D), and D
// enters only through the right-hand calls.  So every run of the group
// starts down the same chain of left-hand calls
//   a(t0 = E), a(t1 = A·t0+B), a(t2 = A·t1+B), ...
// each running [1] first, until an argument leaves 1..255 (or the depth
// limit is passed).  That chain, and the [2] of its last call when the call
// below it returns at once, is run once for the group; the rest of each
// run climbs the chain back up from there:
//   a(C·t_k+D) [2] a(C·t_{k-1}+D) ... [2] a(C·t0+D).
// Each candidate makes exactly the commands of its own full run, in the same
// order, and ends the same way with the same step count.
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

  // From here on the D of the group are carried together as long as their
  // runs make the same commands.  Every argument is A·u+B or C·u+D of an
  // earlier one, so it is affine in D: alpha + beta·D.  A call's outcome
  // depends only on whether its argument is <= 0, in 1..255 or above 255,
  // which is monotone in D; when the D of the range fall into different
  // classes the range is cut, the robot marked, and the pieces are run one
  // after the other in increasing D, each from the mark.  Within a piece all
  // D run the very same commands, so they end the same way: the first D of
  // the first piece that clears is the first D that clears, with the same
  // step count, and a piece that does not clear decides all of its D.
  //
  // Calls still to be made after the current one form a list: each entry
  // runs [2] and then calls a(C·u+D).  The chain above supplies the first
  // entries; the list is persistent (entries are never changed), so a piece
  // run later takes it as it was at the cut.
  nodes.clear();
  for (int i = 0; i < static_cast<int>(chain.size()) - 1; ++i)
    nodes.push_back({chain[static_cast<std::size_t>(i)], 0, i + 2, i - 1});
  int head = static_cast<int>(nodes.size()) - 1;
  long long alpha = static_cast<long long>(C) * chain.back();
  long long beta = 1;
  depth = static_cast<int>(chain.size()) + 1;  // the right-hand call of the last level
  int lo = dlo;
  int hi = dhi;
  pending.clear();
  // 0: the argument is <= 0; 1: in 1..255; 2: above 255.
  const auto cls = [](long long t) { return t <= 0 ? 0 : t <= kMaxArgument ? 1 : 2; };
  for (;;) {
    // One path, the same for every D in lo..hi: a(alpha + beta·D) at depth.
    for (;;) {
      if (depth > kMaxDepth) break;
      const int k = cls(alpha + beta * lo);
      if (cls(alpha + beta * hi) != k) {
        int good = lo;  // the class is k from lo to good, then another
        int bad = hi;
        while (bad - good > 1) {
          const int mid = good + (bad - good) / 2;
          (cls(alpha + beta * mid) == k ? good : bad) = mid;
        }
        pending.push_back({robot.mark(), head, nodes.size(), alpha, beta, depth, good + 1, hi});
        hi = good;
      }
      if (lo == hi) {  // a single D: the argument as a number
        alpha += beta * lo;
        beta = 0;
      }
      if (k == 2) break;
      if (k == 0) {
        // The call returns at once; the next entry of the list goes on.
        if (head < 0) break;  // the main-line call is complete
        const Node n = nodes[static_cast<std::size_t>(head)];
        head = n.parent;
        if (robot.run(jj) != 0) break;
        alpha = static_cast<long long>(C) * n.alpha;
        beta = static_cast<long long>(C) * n.beta + 1;
        depth = n.depth;
        continue;
      }
      // 1..255: [1], then the left-hand call; [2] and the right-hand call
      // wait in the list.  (alpha and beta stay small: at most 255 + 254·255
      // and 254 when the piece holds two D or more.)
      if (robot.run(j) != 0) break;
      nodes.push_back({alpha, beta, depth + 1, head});
      head = static_cast<int>(nodes.size()) - 1;
      alpha = static_cast<long long>(A) * alpha + B;
      beta = static_cast<long long>(A) * beta;
      ++depth;
    }
    if (robot.cleared) return cleared_at(lo);
    if (decide_group(lo, hi, done)) return Decided::Stopped;
    if (pending.empty()) break;
    const Piece& p = pending.back();
    robot.restore(p.mark);
    head = p.head;
    nodes.resize(p.nodes);
    alpha = p.alpha;
    beta = p.beta;
    depth = p.depth;
    lo = p.lo;
    hi = p.hi;
    pending.pop_back();
    ++simulated;
  }
  return Decided::None;
}

}  // namespace solver
