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
  // What each byte becomes: a main-line place its position (from 0x80), a
  // function place its rank once met (0 before).
  std::array<std::uint8_t, 256> to{};
  for (std::size_t b = main_from; b <= st->place_count && b < to.size(); ++b) {
    to[b] = static_cast<std::uint8_t>(0x80 + (b - main_from));
  }
  // The commands a run can begin: the last one of a stream cut by the step
  // limit is refused.
  const auto* bytes = reinterpret_cast<const unsigned char*>(stream_bytes());
  const std::size_t len = st->stream_end == StreamEnd::Limit && st->stream_len != 0
                              ? st->stream_len - 1
                              : st->stream_len;
  seen_text.resize(len + 1 + (kSlots - kMain));
  char* out = seen_text.data();
  std::size_t count = 0;
  for (std::size_t i = 0; i < len; ++i) {
    const unsigned char b = bytes[i];
    if (to[b] == 0) [[unlikely]] {
      st->first_places[count] = b;
      to[b] = static_cast<std::uint8_t>(++count);
    }
    out[i] = static_cast<char>(to[b]);
  }
  // The end, and the main line's lengths (the stream's own and those of the
  // candidates below).
  std::size_t n = len;
  out[n++] = static_cast<char>(st->stream_end);
  for (int i = kMain; i < kSlots; ++i) out[n++] = static_cast<char>(slot[i].code.size());
  bool added = false;
  st->seen_id = seen_streams.intern(out, n, added);
  st->seen_epoch = seen_streams.epoch();
  st->first_count = count;
}

template <int N>
bool FixedSearch<N>::repeats_earlier_node() {
  if (!skip_repeats) return false;
  // The commands of the function's places, from 1, as 1 ("s"), 2 ("r") or 3
  // ("l"), and the judgement bits.
  std::array<std::uint8_t, kPlaces + 1> at{};
  std::size_t place = 1;
  unsigned bits = 0;
  for (int i = 0; i <= N; ++i) {
    for (const char ch : slot[i].code) {
      if (!interpreter_detail::is_command(ch)) continue;
      if (place >= at.size()) return false;
      at[place++] = ch == 's' ? 1 : ch == 'r' ? 2 : 3;
      bits |= ch == 's' ? 1U : 2U;
    }
  }
  if (st->seen_epoch != seen_streams.epoch()) number_stream(place);
  // A stream's number means nothing once the streams were forgotten.
  if (nodes_stream_epoch != seen_streams.epoch()) {
    seen_nodes.clear();
    nodes_stream_epoch = seen_streams.epoch();
  }
  // The key: the stream's number and the judgement bits, then two bits per
  // command in rank order (the stream fixes how many).
  constexpr std::size_t kMostRanks = 47;
  if (st->first_count > kMostRanks) return false;
  std::uint64_t hi = (static_cast<std::uint64_t>(st->seen_id) + 1) << 32 | bits << 30;
  std::uint64_t lo = 0;
  for (std::size_t r = 0; r < st->first_count; ++r) {
    const std::uint64_t two = at[st->first_places[r]];
    if (r < 32) {
      lo |= two << (2 * r);
    } else {
      hi |= two << (2 * (r - 32));
    }
  }
  return !seen_nodes.add(hi, lo);
}

}  // namespace solver
