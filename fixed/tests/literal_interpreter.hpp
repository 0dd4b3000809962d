// The template interpreter as the rules state it, for comparisons: full
// std::string argument values rebuilt every level, a plain robot without the
// early stop, no kept prefixes, no command stream.  The only addition is a
// cap on the number of levels, since by the rules a run that stops moving
// goes on for ever without clearing.
#pragma once

#include <string>
#include <vector>

#include "engine.hpp"
#include "robot.hpp"

namespace solver::testing {

// Runs a candidate on `r` (bound by the caller) from a fresh reset.  `slots`
// in template order: [1], the N arguments of the recursive call, the
// main-line prefix, the N arguments of the first call.  The level cap ends
// the run as Idle.
template <int N>
RunEnd literal_run(Robot& r, const std::vector<std::string>& slots, long long max_levels) {
  r.reset();
  const std::string& body = slots[0];
  const auto call = [&](const std::vector<std::string>& bound) {
    for (const char ch : body) {
      int rc = 0;
      if (ch == 's') rc = r.go_straight();
      if (ch == 'r') rc = r.turn_right();
      if (ch == 'l') rc = r.turn_left();
      const int p = ch - 'X';
      if (p >= 0 && p < N) rc = jikkoujj(r, bound[static_cast<std::size_t>(p)]);
      if (rc == -1) return -1;
    }
    return 0;
  };
  const auto ended = [&] { return r.cleared ? RunEnd::Cleared : RunEnd::Failed; };
  if (jikkoujj(r, slots[N + 1]) == -1) return ended();
  std::vector<std::string> old(slots.begin() + N + 2, slots.begin() + 2 * N + 2);
  if (call(old) == -1) return ended();
  const bool moves = body.find_first_of("srl") != std::string::npos;
  for (long long level = 0; level < max_levels; ++level) {
    const std::size_t budget = static_cast<std::size_t>(r.msteps - r.steps);
    std::vector<std::string> next(N);
    for (int p = 0; p < N; ++p) {
      std::string& d = next[static_cast<std::size_t>(p)];
      for (const char ch : slots[static_cast<std::size_t>(1 + p)]) {
        if (ch == 's' || ch == 'r' || ch == 'l') d += ch;
        const int q = ch - 'X';
        if (q < 0 || q >= N) continue;
        const std::string& o = old[static_cast<std::size_t>(q)];
        if (d.size() + o.size() > budget) {
          d += o.substr(0, budget);
          break;
        }
        d += o;
      }
    }
    bool empty = true;
    for (const std::string& v : next) empty = empty && v.empty();
    if (empty && !moves) return RunEnd::FixedPoint;
    if (call(next) == -1) return ended();
    old = next;
  }
  return RunEnd::Idle;
}

struct LiteralOutcome {
  bool cleared = false;
  int steps = 0;  // the robot's steps when the run ended
};

template <int N>
LiteralOutcome literal_candidate(const Grid& g, const std::vector<std::string>& slots, int msteps,
                                 int mlastfail) {
  Robot r;
  r.bind(g, msteps, mlastfail);
  literal_run<N>(r, slots, static_cast<long long>(msteps) + 64);
  return {r.cleared, r.steps};
}

}  // namespace solver::testing
