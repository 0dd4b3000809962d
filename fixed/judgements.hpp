// The pruning judgements of the odometer.  Each returns -1 when the
// combination chosen so far cannot be useful, 0 otherwise.  A judgement reads
// the fragments of its own slot and the outer slots, and only the lengths of
// the inner ones.
#pragma once

#include "engine.hpp"

namespace solver {

namespace judgement_detail {

// A slot without "s" and turns: empty, or parameter letters only.
inline bool no_moves(const code_parts& p) {
  return p.scount == 0 && p.turncount == 0;
}

// The character at position i, or '\0' outside the fragment.
inline char at(const code_parts& p, int i) {
  return i >= 0 && static_cast<std::size_t>(i) < p.code.size() ? p.code[static_cast<std::size_t>(i)]
                                                               : '\0';
}

// Is `first` met before `second` when the fragment is read from the start?
// (false when neither occurs)
inline bool comes_first(const std::string& code, char first, char second) {
  for (const char ch : code) {
    if (ch == first) return true;
    if (ch == second) return false;
  }
  return false;
}

// First "X" before the first "Y", and the first "Y" before the first "Z".
inline bool letters_in_order(const std::string& code) {
  bool seen_x = false;
  for (const char ch : code) {
    if (ch == 'X') seen_x = true;
    if (ch == 'Z') return false;
    if (ch == 'Y') return seen_x;
  }
  return false;
}

}  // namespace judgement_detail

// Body [1].
template <int N>
int FixedSearch<N>::jhantei() const {
  using namespace judgement_detail;
  const code_parts& j = slot[kBody];
  const int len = j.length;
  const char first = at(j, 0);
  const char last = at(j, len - 1);
  if (first == 'l' && last == 'r') return -1;                                       // J1
  if (first == 'r' && last == 'l') return -1;                                       // J2
  if (len >= 2 && first == 'l' && at(j, len - 2) == 'l' && last == 'l') return -1;  // J3
  if (j.xcount == 0) return -1;                                                     // J4
  const bool empty_a = slot[kArg].length == 0;
  if constexpr (N == 1) {
    if (empty_a && no_moves(j)) return -1;  // J5a
  } else {
    if (empty_a && no_moves(j) && j.ycount == 0) return -1;  // J5
    const bool empty_b = slot[kArg + 1].length == 0;
    if constexpr (N == 3) {
      const bool z_reaches_c = j.zcount != 0 && slot[kArg + 2].length != 0;
      if (empty_a && no_moves(j) && empty_b && !z_reaches_c) return -1;                 // J6
      if (j.ycount != 0 && j.zcount == 0 && !comes_first(j.code, 'X', 'Y')) return -1;  // J7
      if (j.ycount != 0 && j.zcount != 0 && !letters_in_order(j.code)) return -1;       // J8
      if (j.ycount == 0 && j.zcount != 0) return -1;                                    // J9
    } else {
      if (empty_a && no_moves(j) && empty_b) return -1;                // J6a
      if (j.ycount != 0 && !comes_first(j.code, 'X', 'Y')) return -1;  // J7
    }
  }
  return 0;
}

// First argument of the recursive call, [2].
template <int N>
int FixedSearch<N>::ahantei() const {
  using namespace judgement_detail;
  const code_parts& j = slot[kBody];
  const code_parts& a = slot[kArg];
  const bool empty_aa = slot[kMainArg].length == 0;
  if (a.length == 1 && at(a, 0) == 'X') return -1;  // A1
  if constexpr (N == 3) {
    if (j.ycount == 0 && a.ycount == 0) return -1;                                    // A2
    if (empty_aa && no_moves(a) && a.ycount == 0 && a.zcount == 0) return -1;         // A3
    if (j.ycount == 0 && a.zcount != 0 && !comes_first(a.code, 'Y', 'Z')) return -1;  // A4
  } else if constexpr (N == 2) {
    if (j.ycount == 0 && a.ycount == 0) return -1;                              // A2
    if (empty_aa && no_moves(a) && a.ycount == 0) return -1;                    // A3a
    if (slot[kArg + 1].length == 0 && no_moves(a) && a.xcount == 0) return -1;  // A5
  } else {
    if (empty_aa && no_moves(a)) return -1;                                // A3b
    if (a.xcount == 0 && j.turncount == 0 && a.turncount == 0) return -1;  // A6
    if (a.xcount == 0 && j.scount == 0 && a.scount == 0) return -1;        // A7
    if (no_moves(j) && no_moves(a)) return -1;                             // A8
  }
  return 0;
}

// Second argument of the recursive call, [3].
template <int N>
int FixedSearch<N>::bhantei() const {
  using namespace judgement_detail;
  if constexpr (N >= 2) {
    const code_parts& j = slot[kBody];
    const code_parts& a = slot[kArg];
    const code_parts& b = slot[kArg + 1];
    const bool empty_bb = slot[kMainArg + 1].length == 0;
    if constexpr (N == 3) {
      if (j.zcount == 0 && a.zcount == 0 && b.zcount == 0) return -1;            // B1
      if (empty_bb && no_moves(b) && b.xcount == 0 && b.zcount == 0) return -1;  // B2
    } else {
      if (empty_bb && no_moves(b) && b.xcount == 0) return -1;  // B2a
    }
    if (b.length == 1 && at(b, 0) == 'Y') return -1;  // B3
    if constexpr (N == 2) {
      if (a.length == 0 && no_moves(b) && b.ycount == 0 && no_moves(j)) return -1;  // B4
    }
  }
  return 0;
}

// Third argument of the recursive call, [4].
template <int N>
int FixedSearch<N>::chantei() const {
  using namespace judgement_detail;
  if constexpr (N == 3) {
    const code_parts& c3 = slot[kArg + 2];
    const bool empty_cc = slot[kMainArg + 2].length == 0;
    if (empty_cc && no_moves(c3) && c3.xcount == 0 && c3.ycount == 0) return -1;  // C1
    if (c3.length == 1 && at(c3, 0) == 'Z') return -1;                            // C2
  }
  return 0;
}

// What the judgements of levels L to N (the function's last slot, or its
// last two) and the count of the first call's arguments
// (first_call_arguments) read of the slots before level L, the lengths
// aside (a distribution fixes them): whether they hold "s" and whether they
// hold turns; from the last two slots on also, for N = 3, whether [1] or [2]
// names Z (B1), and for N = 2 whether [1] names Y (A2).  (For N = 2, B4
// asks whether the body has neither "s" nor turns only when [2] is empty,
// and then that is whether the slots before [3] have neither.)  Below 8.
template <int N>
template <int L>
unsigned FixedSearch<N>::count_key() const {
  bool any_s = false;
  bool any_turn = false;
  for (int i = 0; i < L; ++i) {
    any_s = any_s || slot[i].scount != 0;
    any_turn = any_turn || slot[i].turncount != 0;
  }
  unsigned key = (any_s ? 1U : 0U) | (any_turn ? 2U : 0U);
  if constexpr (L == N - 1 && N == 3) {
    key |= slot[kBody].zcount != 0 || slot[kArg].zcount != 0 ? 4U : 0U;
  } else if constexpr (L == N - 1 && N == 2) {
    key |= slot[kBody].ycount != 0 ? 4U : 0U;
  }
  return key;
}

// At the last argument of the first call: some "s" and some turn outside the
// main-line prefix.
template <int N>
int FixedSearch<N>::closing_hantei() const {
  bool any_s = false;
  bool any_turn = false;
  for (int i = 0; i < kSlots; ++i) {
    if (i == kMain) continue;
    any_s = any_s || slot[i].scount != 0;
    any_turn = any_turn || slot[i].turncount != 0;
  }
  if (!any_s) return -1;     // K1
  if (!any_turn) return -1;  // K2
  return 0;
}

}  // namespace solver
