// The template interpreter as the rules state it: full std::string argument
// values rebuilt every level, the robot's motion operations called one
// command at a time, no kept prefixes, no command stream, no early stop.
// It is the reference the fast interpreter is checked against, and the
// search runs on it when asked to (FixedSearch::literal), so that the speed
// of the two can be compared on the same searches.  The only addition is a
// cap on the number of levels, since by the rules a run that stops moving
// goes on for ever without clearing.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

#include "engine.hpp"

namespace solver {

// Runs a fragment: "s", "r", "l" move the robot, any other character is
// skipped; -1 at the first command that stops the run.
template <typename R>
int literal_fragment(R& r, const std::string& fragment) {
  for (const char ch : fragment) {
    int rc = 0;
    if (ch == 's') rc = r.go_straight();
    if (ch == 'r') rc = r.turn_right();
    if (ch == 'l') rc = r.turn_left();
    if (rc == -1) return -1;
  }
  return 0;
}

// Runs a candidate on `r` (a Robot or a LiteralRobot, bound by the caller)
// from a fresh reset.  `slots` in template order: [1], the N arguments of
// the recursive call, the main-line prefix, the N arguments of the first
// call.  The level cap ends the run as Idle.
template <int N, typename R>
RunEnd literal_run(R& r, const std::vector<std::string>& slots, long long max_levels) {
  r.reset();
  const std::string& body = slots[0];
  const auto call = [&](const std::vector<std::string>& bound) {
    for (const char ch : body) {
      int rc = 0;
      if (ch == 's') rc = r.go_straight();
      if (ch == 'r') rc = r.turn_right();
      if (ch == 'l') rc = r.turn_left();
      const int p = ch - 'X';
      if (p >= 0 && p < N) rc = literal_fragment(r, bound[static_cast<std::size_t>(p)]);
      if (rc == -1) return -1;
    }
    return 0;
  };
  const auto ended = [&] { return r.cleared ? RunEnd::Cleared : RunEnd::Failed; };
  if (literal_fragment(r, slots[N + 1]) == -1) return ended();
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

// The levels a literal run is allowed: more than any run that still moves
// can use before the step limit refuses a command.  A level that moves
// begins a command, so at most msteps - 1 levels move; and once more than
// 2^N levels in a row have begun none, none ever will (whether each value is
// empty follows from the same at the level before, and there are 2^N ways
// for them to be), so at most 2^N levels lie between two that move.
template <int N>
long long literal_levels(int msteps) {
  return (static_cast<long long>(std::max(msteps, 0)) + 1) * ((1LL << N) + 1);
}

struct LiteralOutcome {
  bool cleared = false;
  int steps = 0;  // the robot's steps when the run ended
};

template <int N>
LiteralOutcome literal_candidate(const Grid& g, const std::vector<std::string>& slots, int msteps,
                                 int mlastfail) {
  LiteralRobot r;
  r.bind(g, msteps, mlastfail);
  literal_run<N>(r, slots, literal_levels<N>(msteps));
  return {r.cleared, r.steps};
}

// One candidate of the search on the literal interpreter.
template <int N>
RunEnd FixedSearch<N>::run_literal() {
  literal_slots.resize(kSlots);
  for (int i = 0; i < kSlots; ++i) literal_slots[static_cast<std::size_t>(i)] = slot[i].code;
  const RunEnd end = literal_run<N>(literal_robot, literal_slots, literal_levels<N>(lim.msteps));
  worker_commands += static_cast<std::uint64_t>(literal_robot.steps);
  return end;
}

}  // namespace solver
