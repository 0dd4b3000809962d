// Candidates whose runs repeat an earlier run.
//
// A run's outcome (clear or not) is a function of the commands it may
// execute: the main-line prefix, then the stream up to its end (up to the
// command the step limit refuses).  Very different slots often give the very
// same commands (a body "sX" with "X" standing for "r", or a body "srX" with
// an empty one).  A candidate whose commands are those of a run that did not
// clear cannot clear either, wherever that run lies in search order: it is
// counted and not run.  (A run that clears ends the search, or its unit of a
// parallel pass, and is never kept.)
//
// Commands are compared by their print: a sum, modulo 2^64, of each
// command's code (8, 3 or 1) times a number drawn for its position in the
// run.  For two different sequences the difference of the sums is a
// combination of the drawn numbers, with a non-zero coefficient at every
// position where the sequences differ (the difference of two codes, or a
// code where only one sequence reaches), none of them divisible by 2^4: the
// sums agree with probability 2^-60 at most, whatever the sequences (the
// numbers are drawn by a fixed pseudo-random function of the position,
// without regard to them).  A print taken for another's skips a run that
// does not repeat it, which changes the search only when the run skipped is
// the first to clear (a run that does not clear is skipped to the same
// effect): only the look-ups for that run and for its subtree could go
// wrong, a chance of 2^-59 a search.  (Prints of two sums, kept whole, were
// surer still, but took twice the memory in the tables, and the look-ups
// wait on that memory.)  A print is also the sum, over the places of the
// stream, of each place's code times the place's weight (the sum of the
// numbers at its positions), so that a candidate's print costs a
// multiply-add per place, not per command.
//
// The prints of the runs that did not clear are kept in a table that the
// workers of a search share (print_table.hpp).
#pragma once

#include <array>
#include <cstdint>

#include "engine.hpp"

namespace solver {

namespace run_prints_detail {

// The drawn number of index i (splitmix64).
constexpr std::uint64_t draw(std::uint64_t i) {
  std::uint64_t z = (i + 1) * 0x9E3779B97F4A7C15ULL;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

// Indices of the numbers that weigh the parts of a subtree's print, far
// from those of the positions.
inline constexpr std::uint64_t kSubtreeNumbers = std::uint64_t{1} << 40;

// Those numbers: the function places' part first, then the main line's
// places, the slots' lengths and the two answers of the judgement.
template <int N, std::size_t Places>
inline constexpr std::array<std::uint64_t, Places + N + 3> kSubtreeParts = [] {
  std::array<std::uint64_t, Places + N + 3> n{};
  for (std::size_t i = 0; i < n.size(); ++i) n[i] = draw(kSubtreeNumbers + i);
  return n;
}();

}  // namespace run_prints_detail

// The numbers of the positions below n: that of index i for position i.
template <int N>
void FixedSearch<N>::draw_print_numbers(std::size_t n) {
  using run_prints_detail::draw;
  for (std::size_t i = print_numbers.size(); i < n; ++i) print_numbers.push_back(draw(i));
}

// The weights of a stream of places built to its end, for the commands a
// run may execute (the last command of a stream cut by the step limit is
// refused), which follow the main-line prefix.
template <int N>
void FixedSearch<N>::weigh_stream() {
  const std::size_t runnable = runnable_commands();
  const std::size_t offset = slot[kMain].code.size();
  ensure_print_numbers(offset + runnable);
  const auto* bytes = reinterpret_cast<const unsigned char*>(stream_bytes());
  weigh_once(runnable, [&] {
    const PrintSum* number = print_numbers.data() + offset;
    PrintSum* w = st->weight.data();
    std::fill(w, w + st->place_count + 1, PrintSum{});
    for (std::size_t i = 0; i < runnable; ++i) w[bytes[i]] += number[i];
  });
}

// The print of the current candidate: its main-line prefix (commands only),
// then the stream with the places' commands.  The part of the function's
// places is kept while they and the stream stay.
template <int N>
RunPrint FixedSearch<N>::candidate_print() {
  if (!st->weighed) weigh_stream();
  const PrintSum* w = st->weight.data();
  if (print_fn_stream != st || print_fn_generation != slots_generation) {
    print_fn_stream = st;
    print_fn_generation = slots_generation;
    PrintSum sum{};
    for (std::size_t p = 1; p < main_places; ++p) sum += w[p] * std::uint64_t{command[p]};
    print_fn = sum;
  }
  PrintSum sum = print_fn;
  for (std::size_t p = main_places; p <= st->place_count; ++p) {
    sum += w[p] * std::uint64_t{command[p]};
  }
  // The prefix's commands that begin before the step limit (all of them
  // when the stream holds any).
  const std::string& jj = slot[kMain].code;
  const auto most = static_cast<std::size_t>(std::max(lim.msteps - 1, 0));
  const std::size_t begun = std::min(jj.size(), most);
  ensure_print_numbers(begun);
  for (std::size_t i = 0; i < begun; ++i) {
    sum += print_numbers[i] * std::uint64_t{interpreter_detail::code_of(jj[i])};
  }
  return RunPrint{sum};
}

// The print of the subtree below the current node of the last function
// slot's level, its stream of places full and weighed, whose main line's
// places start at `main_from`.  Every candidate below has the print
//   F + sum over the main line's places p of code(p) * weight(p) + J
// where F, the part of the function's places, and the weights are the
// node's, and J depends on the main-line prefix alone; which main-line
// fragments the candidates take depends on the lengths of the main line's
// slots and on whether the function's slots hold "s" and turns (the closing
// judgement).  Two subtrees that agree on all of these hold candidates of
// the same prints, one for one.  The subtree's print is a sum of F, of the
// weights in order and of the lengths and the judgement's two answers, each
// times a number drawn for its part: two subtrees that differ in any part
// share it with probability 2^-60 at most (for every part but the exact
// counts and answers, a difference with a low power of 2 is itself the
// rule: they are sums of drawn numbers).
template <int N>
RunPrint FixedSearch<N>::node_print(std::size_t main_from) {
  const auto& number = run_prints_detail::kSubtreeParts<N, kPlaces>;
  if (!st->weighed) weigh_stream();
  const PrintSum* w = st->weight.data();
  // The part of the slots before the last one is kept with the stream while
  // the node of the level above stays (bound_outer).
  const auto add_slot = [&](const code_parts& p, PrintSum& function, std::size_t& place,
                            unsigned& moves) {
    for (const char ch : p.code) {
      const std::uint8_t op = interpreter_detail::code_of(ch);
      if (op == 0) continue;
      function += w[place++] * std::uint64_t{op};
    }
    moves |= (p.scount != 0 ? 2U : 0U) | (p.turncount != 0 ? 1U : 0U);
  };
  if (st->function_stamp != bound_outer) {
    st->function_stamp = bound_outer;
    PrintSum outer{};
    std::size_t at = 1;
    unsigned moves = 0;
    for (int i = 0; i < N; ++i) add_slot(slot[i], outer, at, moves);
    st->outer_function = outer;
    st->function_place = at;
    st->outer_moves = moves;
  }
  PrintSum function = st->outer_function;
  unsigned moves = st->outer_moves;
  std::size_t place = st->function_place;
  add_slot(slot[N], function, place, moves);
  // The main line's places and the lengths (the stream's key holds the
  // lengths) are the same for every node of the stream.
  if (st->main_print_from != main_from) {
    PrintSum rest{};
    for (std::size_t p = main_from, k = 1; p <= st->place_count; ++p, ++k) {
      rest += w[p] * number[k];
    }
    for (int i = kMain; i < kSlots; ++i) {
      rest += number[kPlaces + static_cast<std::size_t>(i - kMain)] *
              static_cast<std::uint64_t>(slot[i].length + 1);
    }
    st->main_print = rest;
    st->main_print_from = main_from;
  }
  node_function = function;
  return subtree_sum(function, moves);
}

// The print of a subtree of the current stream and main line from the
// function places' part and whether the function's slots hold "s" (2) and
// turns (1).
template <int N>
RunPrint FixedSearch<N>::subtree_sum(PrintSum function, unsigned moves) const {
  const auto& number = run_prints_detail::kSubtreeParts<N, kPlaces>;
  PrintSum sum = function * number[0] + st->main_print;
  const PrintSum s = number[kPlaces + N + 1];
  const PrintSum turn = number[kPlaces + N + 2];
  sum += (moves & 2U) != 0 ? s : s + s;
  sum += (moves & 1U) != 0 ? turn : turn + turn;
  return RunPrint{sum};
}

// The nodes that follow this one at the function's last slot while its
// first character goes from "s" to "r" to "l" (the enumerator's fastest
// step, the letters staying) share its stream and main line: their prints
// differ from this node's by that place's weight times the change of its
// command.  Their slots in the tables are asked for now, a node or two
// ahead of their look-ups.  (A node the judgement or the bound settles
// never looks: a wasted fetch.)
template <int N>
void FixedSearch<N>::prefetch_next_nodes(bool one_run) const {
  const code_parts& last = slot[N];
  if (last.code.empty() || (last.code[0] != 's' && last.code[0] != 'r')) return;
  const PrintSum w = st->weight[st->function_place];
  const std::uint64_t from = interpreter_detail::code_of(last.code[0]);
  // The slot's own moves after the step: it holds one turn more, and "s"
  // if it held one besides the first.
  const int s_after = last.scount - (last.code[0] == 's' ? 1 : 0);
  const unsigned moves = st->outer_moves | (s_after != 0 ? 2U : 0U) | 1U;
  for (const std::uint64_t to : {std::uint64_t{kRight}, std::uint64_t{kLeft}}) {
    if (to == from) continue;
    const PrintSum function = node_function + w * to - w * from;
    if (one_run) {
      prints->prefetch(RunPrint{function});
    } else {
      subtrees->prefetch(subtree_sum(function, moves));
    }
  }
}

template <int N>
RunPrint FixedSearch<N>::commands_print(std::string_view commands) {
  ensure_print_numbers(commands.size());
  PrintSum sum{};
  for (std::size_t i = 0; i < commands.size(); ++i) {
    sum += print_numbers[i] * std::uint64_t{interpreter_detail::code_of(commands[i])};
  }
  return RunPrint{sum};
}

}  // namespace solver
