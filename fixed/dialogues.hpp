// The start-up dialogues: slots to fix, and the candidate to resume from.
#pragma once

#include <ostream>

#include "engine.hpp"
#include "input.hpp"

namespace solver {

template <int N>
void FixedSearch<N>::input_fixcode() {
  c.ascii(kTemplate);
  c.endl();
  for (int i = 0; i < kSlots; ++i) {
    input_fixcodeparts(slot[i], i + 1);
    if (slot[i].fixed == 1) fixlen[i] = slot[i].length;
  }
}

template <int N>
void FixedSearch<N>::input_fixcodeparts(code_parts& p, int n) {
  for (;;) {
    c.out << '[' << n;
    c.line(u8"]を固定しますか？（1:yes,0:no）");
    if (!read_value(c, p.fixed)) {
      input_error_message(c);
      continue;
    }
    if (p.fixed == 0) return;
    if (p.fixed == 1) break;
    c.line(u8"入力に誤りがあります．");
  }
  c.line(u8"固定するコードを入力してください．");
  // Every slot, the main line too, may be fixed to parameter letters.
  while (!read_fragment(c, p, N)) input_error_message(c);
}

template <int N>
void FixedSearch<N>::input_restartcode() {
  if (lim.restart != 1) return;
  for (;;) {
    c.ascii(kTemplate);
    c.endl();
    int total = 0;
    for (int i = 0; i < kSlots; ++i) {
      // The main line refuses parameter letters: the enumerator could not
      // step on from them.
      const bool main_line = i >= kMain;
      input_code_parts(c, res[i], i + 1, main_line ? 0 : N);
      total += res[i].length;
    }
    // An empty body with every byte in the main-line prefix is refused as
    // well: the length counter cannot step on from it.
    const bool stuck = res[kBody].length == 0 && res[kMain].length == lim.bytes;
    if (total == lim.bytes && !stuck) return;
    c.line(u8"バイト数が一致しません");
  }
}

}  // namespace solver
