// Slot record, fragment enumerators and slot lines, shared by the
// fixed-template engine and the counter-template search.
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "console.hpp"
#include "grid.hpp"
#include "limits.hpp"

namespace solver {

// One slot of a template: its fragment with running character counts, its
// length in the current length distribution, and whether the user fixed it.
struct code_parts {
  std::string code;
  int scount = 0;
  int turncount = 0;  // "r" plus "l"
  int xcount = 0;
  int ycount = 0;
  int zcount = 0;
  int length = 0;
  int fixed = 0;
};

// Empties the fragment and its counters; `length` and `fixed` stay.
void syokika_code(code_parts& p);

// Back to the first fragment of its length (all "s"), unless fixed.
[[gnu::always_inline]] inline void getsss(code_parts& p) {
  if (p.fixed == 1) return;
  const auto n = static_cast<std::size_t>(p.length);
  if (p.code.size() != n) {
    p.code.assign(n, 's');
  } else if (p.scount != p.length) {
    // (As many "s" as characters: the fragment is all "s" already, as the
    // enumerator leaves it after its last one.)
    std::fill_n(p.code.data(), n, 's');
  }
  p.scount = p.length;
  p.turncount = p.xcount = p.ycount = p.zcount = 0;
}

namespace slots_detail {

// The counter of parameter letter 0, 1, 2 (X, Y, Z), picked without a
// branch: the enumerator steps letters all the time.
inline constexpr int code_parts::*kLetterCount[3] = {&code_parts::xcount, &code_parts::ycount,
                                                     &code_parts::zcount};

}  // namespace slots_detail

// Steps the slot to its next fragment over "s", "r", "l" and the first
// `nparams` of "X", "Y", "Z", skipping fragments with a turn run rr, rl, lr
// or lll.  Returns 0, or -1 after the last fragment (the slot is then back
// at its first fragment).  A fixed slot returns -1 untouched.  A character
// outside the alphabet is treated as the last digit value (it carries).
// (Inline: the odometer steps slots all the time.)
inline int getnew(code_parts& p, int nparams) {
  if (p.fixed == 1) return -1;
  std::string& s = p.code;
  const std::size_t n = s.size();
  std::size_t i = 0;
  for (;;) {
    if (i >= n) {
      getsss(p);
      return -1;
    }
    char ch = s[i];
    if (ch == 's') {
      s[i] = 'r';
      --p.scount;
      ++p.turncount;
      if (!(i + 1 < n && (s[i + 1] == 'r' || s[i + 1] == 'l'))) return 0;
      ch = 'r';  // "rr" or "rl" would follow: step on at once
    }
    if (ch == 'r') {
      s[i] = 'l';
      if (!((i + 1 < n && s[i + 1] == 'r') || (i + 2 < n && s[i + 1] == 'l' && s[i + 2] == 'l'))) {
        return 0;
      }
      ch = 'l';  // "lr" or "lll" would follow
    }
    if (ch == 'l') {
      if (nparams == 0) {
        s[i] = 's';
        ++p.scount;
        --p.turncount;
        ++i;
        continue;
      }
      s[i] = 'X';
      ++p.xcount;
      --p.turncount;
      return 0;
    }
    const int letter = ch - 'X';  // 0 for X, 1 for Y, 2 for Z
    if (letter >= 0 && letter + 1 < nparams) {
      --(p.*slots_detail::kLetterCount[letter]);
      s[i] = static_cast<char>(ch + 1);
      ++(p.*slots_detail::kLetterCount[letter + 1]);
      return 0;
    }
    // The last letter (or one outside the alphabet): carry.
    if (letter >= 0 && letter < 3) --(p.*slots_detail::kLetterCount[letter]);
    s[i] = 's';
    ++p.scount;
    ++i;
  }
}

// The number of fragments getnew0 runs through at `length` characters
// (counts beyond 2^63 are held there).
inline std::uint64_t main_fragments(int length) {
  constexpr std::uint64_t kMost = std::uint64_t{1} << 63;
  const auto add = [](std::uint64_t x, std::uint64_t y) { return x + y < kMost ? x + y : kMost; };
  // Fragments ending in s (or empty), r, l after a non-l, ll.
  std::uint64_t end_s = 1, end_r = 0, end_l = 0, end_ll = 0;
  for (int i = 0; i < length; ++i) {
    const std::uint64_t s = add(add(end_s, end_r), add(end_l, end_ll));
    end_ll = end_l;
    end_r = end_l = end_s;
    end_s = s;
  }
  return add(add(end_s, end_r), add(end_l, end_ll));
}

inline int getnew0(code_parts& p) {
  return getnew(p, 0);
}
inline int getnew1(code_parts& p) {
  return getnew(p, 1);
}
inline int getnew2(code_parts& p) {
  return getnew(p, 2);
}
inline int getnew3(code_parts& p) {
  return getnew(p, 3);
}

// "[n]=fragment"; with detail 1 also the counters (parameter counters as
// far as the program has `nparams` of them).  Ends the line with a flush.
void PRINT_CODE_PARTS(Console& c, int n, int detail, const code_parts& p, int nparams);

// A new length distribution: the time lines, the slots' lengths in template
// order joined by ",", then the hint line.
void printlength(Console& c, const Grid& g, const Limits& lim,
                 std::initializer_list<const code_parts*> slots);

// Puts `code` into the slot with its length and counters (the slot's
// `fixed` stays as it is).
void set_fragment(code_parts& p, std::string_view code);

// Reads one fragment word into the record after resetting it ("0" is the
// empty fragment) and sets its length and counters.  Returns false when the
// word holds a character outside "s", "r", "l" and the first `nparams`
// parameter letters.
bool read_fragment(Console& c, code_parts& p, int nparams);

// "[n]を入力してください：" and one fragment, asked again while invalid.
void input_code_parts(Console& c, code_parts& p, int n, int nparams);

}  // namespace solver
