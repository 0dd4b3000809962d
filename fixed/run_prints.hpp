// Candidates whose runs repeat an earlier run.
//
// A run's outcome (clear or not) is a function of the commands it may
// execute: the main-line prefix, then the stream up to its end (up to the
// command the step limit refuses).  Very different slots often give the very
// same commands (a body "sX" with "X" standing for "r", or a body "srX" with
// an empty one).  A candidate whose commands are those of an earlier
// candidate in search order cannot clear: the earlier one either cleared,
// and the search ended there, or did not, and then neither does this one.
// It is counted and not run.
//
// Commands are compared by their print: two sums, modulo 2^64, of each
// command's code times a random number drawn for its position in the run,
// one number per position and sum.  For two different sequences the
// difference of the sums is a combination of the random numbers with
// coefficients the differences of two codes (5, 7 or 2, with a sign) for the
// positions where they differ, and none for the others: each sum agrees
// with probability 2^-63 at most, both with 2^-126 at most, whatever the
// sequences (the numbers are drawn, from a fixed seed, without regard to
// them).  A print is also the sum, over the places of the stream, of each
// place's code times the place's weights (the sums of the numbers at its
// positions), so that a candidate's print costs two multiply-adds per
// place, not per command.
//
// Each worker keeps the prints of its own earlier runs (they precede its
// current candidate in search order) in a table of kPrintSlots entries, a
// print replacing the one at its slot.
#pragma once

#include <cstdint>

#include "engine.hpp"

namespace solver {

// The random numbers of the positions from `from` on.
template <int N>
void FixedSearch<N>::ensure_print_numbers(std::size_t n) {
  if (print_numbers.size() >= n) return;
  std::uint64_t state = 0x9E3779B97F4A7C15ULL * (print_numbers.size() + 1);
  const auto next = [&state] {
    // splitmix64
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
  };
  const std::size_t from = print_numbers.size();
  print_numbers.resize(n);
  for (std::size_t i = from; i < n; ++i) print_numbers[i] = PrintPair{next(), next()};
}

// The weights of a stream of places built to its end, for the commands a
// run may execute (the last command of a stream cut by the step limit is
// refused), which follow the main-line prefix.
template <int N>
void FixedSearch<N>::weigh_stream() {
  const std::size_t runnable = st->stream_end == StreamEnd::Limit && st->stream_len != 0
                                   ? st->stream_len - 1
                                   : st->stream_len;
  const std::size_t offset = slot[kMain].code.size();
  ensure_print_numbers(offset + runnable);
  const auto* bytes = reinterpret_cast<const unsigned char*>(stream_bytes());
  const PrintPair* number = print_numbers.data() + offset;
  PrintPair* w = st->weight.data();
  std::fill(w, w + st->place_count + 1, PrintPair{});
  for (std::size_t i = 0; i < runnable; ++i) w[bytes[i]] += number[i];
  st->weighed = true;
  print_fn_stream = nullptr;
}

// The print of the current candidate: its main-line prefix (commands only),
// then the stream with the places' commands.  The part of the function's
// places is kept while they and the stream stay.
template <int N>
typename FixedSearch<N>::RunPrint FixedSearch<N>::candidate_print() {
  if (!st->weighed) weigh_stream();
  const PrintPair* w = st->weight.data();
  if (print_fn_stream != st || print_fn_generation != slots_generation) {
    print_fn_stream = st;
    print_fn_generation = slots_generation;
    PrintPair sum{};
    for (std::size_t p = 1; p < main_places; ++p) sum += w[p] * std::uint64_t{command[p]};
    print_fn = sum;
  }
  PrintPair sum = print_fn;
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
  return RunPrint{{sum[0], sum[1]}};
}

template <int N>
typename FixedSearch<N>::RunPrint FixedSearch<N>::commands_print(std::string_view commands) {
  ensure_print_numbers(commands.size());
  PrintPair sum{};
  for (std::size_t i = 0; i < commands.size(); ++i) {
    sum += print_numbers[i] * std::uint64_t{interpreter_detail::code_of(commands[i])};
  }
  return RunPrint{{sum[0], sum[1]}};
}

}  // namespace solver
