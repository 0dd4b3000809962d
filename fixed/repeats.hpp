// Nodes whose candidates repeat those of a node walked before.
//
// At a node of the last function slot's level the stream of places is
// known, and with it every command of every candidate below: candidate
// (m, p), for main-line arguments m and prefix p, runs p and then the
// stream, each byte read as the command of its place: a function place's
// command is fixed by the node, a main-line place's is the character of m
// at that place.  Two nodes whose streams read alike, byte for byte once
// each function place is replaced by its command and each main-line place
// by its position among the main-line characters, with the same end, and
// whose main-line slots have the same lengths, walk the same pairs (m, p):
// the odometer enumerates the main line from its lengths alone, and the
// only judgement below (closing_hantei) reads of the function's slots only
// whether they hold "s" and whether they hold turns, which the comparison
// includes.  Every candidate of the later node then makes the very moves of
// a candidate of the earlier one, and ends the same way.
//
// The earlier node comes first in search order (a worker remembers only
// nodes it walked itself, and walks its units in order; distributions come
// in order).  If a candidate below it cleared, the search's first clear
// lies at or before it, never below the later node; if none did, none below
// the later node can.  So the later node's candidates are counted as run
// without running them, and the first clear, its step count and every
// printed line stay as they were.
//
// A stream is compared by a number: its bytes with each function place
// replaced by the rank of its first occurrence and each main-line place by
// its position, interned once per stream; a node then adds the commands at
// those function places in rank order, the two judgement bits and the main
// line's lengths.
#pragma once

#include "engine.hpp"
#include "interpreter.hpp"

namespace solver {

// Numbers the stream in use (st), whose function places are 1 ..
// main_from - 1.
template <int N>
void FixedSearch<N>::number_stream(std::size_t main_from) {
  std::array<std::uint8_t, 256> rank{};
  // The commands a run can begin: the last one of a stream cut by the step
  // limit is refused.
  const char* bytes = stream_bytes();
  const std::size_t len = st->stream_end == StreamEnd::Limit && st->stream_len != 0
                              ? st->stream_len - 1
                              : st->stream_len;
  seen_text.resize(len + 1);
  std::size_t count = 0;
  for (std::size_t i = 0; i < len; ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b < main_from) {
      if (rank[b] == 0) {
        st->first_places[count] = b;
        rank[b] = static_cast<std::uint8_t>(++count);
      }
      seen_text[i] = static_cast<char>(rank[b]);
    } else {
      seen_text[i] = static_cast<char>(0x80 + (b - main_from));
    }
  }
  seen_text[len] = static_cast<char>(st->stream_end);
  bool added = false;
  st->seen_id = seen_streams.intern(seen_text.data(), len + 1, added);
  st->seen_epoch = seen_streams.epoch();
  st->first_count = count;
}

template <int N>
bool FixedSearch<N>::repeats_earlier_node() {
  if (!skip_repeats) return false;
  // The commands of the function's places, from 1, and the judgement bits.
  std::array<char, kPlaces + 1> at{};
  std::size_t place = 1;
  unsigned bits = 0;
  for (int i = 0; i <= N; ++i) {
    for (const char ch : slot[i].code) {
      if (!interpreter_detail::is_command(ch)) continue;
      if (place >= at.size()) return false;
      at[place++] = ch;
      bits |= ch == 's' ? 1U : 2U;
    }
  }
  if (st->seen_epoch != seen_streams.epoch()) number_stream(place);
  // A stream's number means nothing once the streams were forgotten.
  if (nodes_stream_epoch != seen_streams.epoch()) {
    seen_nodes.clear();
    nodes_stream_epoch = seen_streams.epoch();
  }
  char key[4 + kPlaces + 1 + N + 1];
  std::size_t n = 0;
  std::memcpy(key, &st->seen_id, 4);
  n += 4;
  for (std::size_t r = 0; r < st->first_count; ++r) key[n++] = at[st->first_places[r]];
  key[n++] = static_cast<char>(bits);
  for (int i = kMain; i < kSlots; ++i) key[n++] = static_cast<char>(slot[i].code.size());
  return !seen_nodes.add(key, n);
}

}  // namespace solver
