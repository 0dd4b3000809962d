// Length distributions: how many characters each slot gets, visited in one
// fixed order, each once.
#pragma once

#include <utility>

#include "engine.hpp"
#include "progress.hpp"

namespace solver {

namespace distribution_detail {

// The slots other than [2] as the digits of a counter, fastest first: the
// recursive call's arguments after [2], the first call's arguments, then the
// body [1].  The main-line prefix is the last digit.
template <int N>
constexpr std::array<int, 2 * N> digits() {
  std::array<int, 2 * N> d{};
  int i = 0;
  for (int p = 2; p <= N; ++p) d[i++] = p;
  for (int p = 0; p < N; ++p) d[i++] = N + 2 + p;
  d[i] = 0;
  return d;
}

}  // namespace distribution_detail

template <int N>
void FixedSearch<N>::get_firstlength() {
  if (lim.restart == 1) {
    // The distribution in which the interrupted search stood; the odometer
    // loads the fragments themselves.
    for (int i = 0; i < kSlots; ++i) slot[i].length = res[i].length;
    return;
  }
  for (code_parts& p : slot) p.length = 0;
  slot[kBody].length = 1;
  slot[kArg].length = lim.bytes - N;
  for (int p = 1; p < N; ++p) slot[kArg + p].length = 1;
  for (code_parts& p : slot) getsss(p);
}

template <int N>
bool FixedSearch<N>::valid_distribution() const {
  const int la = slot[kArg].length;
  // Every parameter gets a non-empty fragment in one of the two calls.
  for (int p = 0; p < N; ++p) {
    if (slot[kArg + p].length == 0 && slot[kMainArg + p].length == 0) return false;
  }
  // With two or three parameters [2] may be empty only after a longer body.
  if (N >= 2 && la == 0 && slot[kBody].length == 1) return false;
  return true;
}

template <int N>
int FixedSearch<N>::get_newlength() {
  static constexpr auto kDigits = distribution_detail::digits<N>();
  constexpr int kBeforeBody = 2 * N - 1;
  for (;;) {
    if (slot[kArg].length != 0) {
      ++slot[kDigits[0]].length;
    } else {
      int i = 0;
      while (i < kBeforeBody && slot[kDigits[i]].length == 0) ++i;
      if (i < kBeforeBody) {
        slot[kDigits[i]].length = 0;
        ++slot[kDigits[i + 1]].length;
      } else {
        int& lj = slot[kBody].length;
        // An empty body with every byte in the main line cannot step on (the
        // restart dialogue refuses such a candidate); end rather than go
        // negative.
        if (lj == 1 || lj == 0) return -1;
        lj = 1;
        ++slot[kMain].length;
      }
    }
    int others = 0;
    for (int i = 0; i < kSlots; ++i) {
      if (i != kArg) others += slot[i].length;
    }
    slot[kArg].length = lim.bytes - others;
    if (valid_distribution()) return 0;
  }
}

// Steps to the next distribution the fixed slots allow (the first one
// itself until `started`); false after the last.
template <int N>
bool FixedSearch<N>::next_distribution(bool& started) {
  for (;;) {
    if (started && get_newlength() == -1) return false;
    started = true;
    if (lenhantei() != -1) return true;
  }
}

template <int N>
int FixedSearch<N>::lenhantei() const {
  for (int i = 0; i < kSlots; ++i) {
    if (slot[i].fixed == 1 && slot[i].length != fixlen[i]) return -1;
  }
  return 0;
}

template <int N>
void FixedSearch<N>::print_length() {
  [&]<std::size_t... I>(std::index_sequence<I...>) {
    printlength(c, grid, lim, {&slot[I]...});
  }
  (std::make_index_sequence<kSlots>{});
}

}  // namespace solver
