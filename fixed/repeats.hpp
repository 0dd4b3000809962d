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
// its position, then its end and the main line's lengths, numbered once per
// stream; a node is that number, the judgement bits and the commands at
// those function places in rank order.
//
// The same holds one level further down, for the combinations of every
// slot but the main-line prefix (see repeats_earlier_sequence).
//
// What is remembered is bounded: the texts that number streams (cleared
// whole when full, and with them everything remembered by their numbers)
// and the most recent nodes and sequences (a table of buckets that forgets
// the oldest).  Forgetting only loses repeats; nothing is ever found that
// was not walked.
#pragma once

#include <tmmintrin.h>

#include "engine.hpp"
#include "interpreter.hpp"

namespace solver {

namespace repeats_detail {

// Whether text a read through table da and text b read through table db
// give the same n bytes (each text byte below 16).
inline bool same_read_plain(const std::uint8_t* a, const std::uint8_t* b, std::size_t n,
                            const std::uint8_t* da, const std::uint8_t* db) {
  for (std::size_t i = 0; i < n; ++i) {
    if (da[a[i]] != db[b[i]]) return false;
  }
  return true;
}

__attribute__((target("ssse3"))) inline bool same_read_wide(const std::uint8_t* a,
                                                            const std::uint8_t* b, std::size_t n,
                                                            const std::uint8_t* da,
                                                            const std::uint8_t* db) {
  const __m128i ta = _mm_loadu_si128(reinterpret_cast<const __m128i*>(da));
  const __m128i tb = _mm_loadu_si128(reinterpret_cast<const __m128i*>(db));
  std::size_t i = 0;
  for (; i + 16 <= n; i += 16) {
    const __m128i x =
        _mm_shuffle_epi8(ta, _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + i)));
    const __m128i y =
        _mm_shuffle_epi8(tb, _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + i)));
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(x, y)) != 0xFFFF) return false;
  }
  return same_read_plain(a + i, b + i, n - i, da, db);
}

inline bool same_read(const std::uint8_t* a, const std::uint8_t* b, std::size_t n,
                      const std::uint8_t* da, const std::uint8_t* db) {
  static const bool wide = __builtin_cpu_supports("ssse3");
  return wide ? same_read_wide(a, b, n, da, db) : same_read_plain(a, b, n, da, db);
}

inline std::uint64_t mix(std::uint64_t z) {
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

}  // namespace repeats_detail

// Describes the stream in use (st), whose function places are 1 ..
// main_from - 1, in one pass: the text that numbers it for nodes (each
// function place replaced by the rank of its first command, each main-line
// place by 0x80 plus its position; then the end and the main line's
// lengths, the stream's own and those of the candidates below) and the text
// that numbers it for sequences (every place replaced by the rank of its
// first command, for at most 15 places; then the end and the prefix's
// length), and the weight of each rank in the hash of a sequence: the sum of
// the random values of its positions.
template <int N>
void FixedSearch<N>::describe_stream(std::size_t main_from) {
  // The commands a run can begin: the last one of a stream cut by the step
  // limit is refused.
  const auto* bytes = reinterpret_cast<const unsigned char*>(stream_bytes());
  const std::size_t len = st->stream_end == StreamEnd::Limit && st->stream_len != 0
                              ? st->stream_len - 1
                              : st->stream_len;
  while (position_value1.size() < len) {
    const auto i = static_cast<std::uint64_t>(position_value1.size());
    position_value1.push_back(repeats_detail::mix(2 * i + 1));
    position_value2.push_back(repeats_detail::mix(2 * i + 2));
  }
  std::array<std::uint8_t, 256> to{};  // for nodes; 0: a function place not met yet
  for (std::size_t b = main_from; b <= st->place_count && b < to.size(); ++b) {
    to[b] = static_cast<std::uint8_t>(0x80 + (b - main_from));
  }
  std::array<std::uint8_t, 256> rank{};         // for sequences; 0: not met yet
  std::array<std::uint64_t, kPlaces + 1> w1{};  // by rank
  std::array<std::uint64_t, kPlaces + 1> w2{};
  seen_text.resize(len + 1 + (kSlots - kMain));
  ranks_text.resize(len + 2);
  char* out = seen_text.data();
  char* ranks = ranks_text.data();
  std::size_t count = 0;
  std::size_t ranked = 0;
  for (std::size_t i = 0; i < len; ++i) {
    const unsigned char b = bytes[i];
    if (rank[b] == 0) [[unlikely]] {
      rank[b] = static_cast<std::uint8_t>(++ranked);
      if (ranked < kNoRanks) st->rank_place[ranked] = b;
      if (to[b] == 0) {
        st->first_places[count] = b;
        to[b] = static_cast<std::uint8_t>(++count);
      }
    }
    out[i] = static_cast<char>(to[b]);
    ranks[i] = static_cast<char>(rank[b]);
    w1[rank[b]] += position_value1[i];
    w2[rank[b]] += position_value2[i];
  }
  std::size_t n = len;
  out[n++] = static_cast<char>(st->stream_end);
  for (int i = kMain; i < kSlots; ++i) out[n++] = static_cast<char>(slot[i].code.size());
  bool added = false;
  st->seen_id = seen_streams.intern(out, n, added);
  const std::uint64_t epoch = seen_streams.epoch();
  st->first_count = count;
  st->rank_count = kNoRanks;
  if (ranked < kNoRanks) {
    ranks[len] = static_cast<char>(st->stream_end);
    ranks[len + 1] = static_cast<char>(slot[kMain].code.size());
    st->ranks_id = seen_streams.intern(ranks, len + 2, added);
    st->rank_count = ranked;
    for (std::size_t r = 1; r <= ranked; ++r) {
      st->weight1[r] = w1[r];
      st->weight2[r] = w2[r];
    }
  }
  // Interning may have made room by forgetting every text, the stream's own
  // number for nodes among them: number it again.
  if (seen_streams.epoch() != epoch) st->seen_id = seen_streams.intern(out, n, added);
  st->seen_epoch = seen_streams.epoch();
  check_sets_epoch();
}

// A text's number means nothing once the texts were forgotten: nor then do
// the nodes and sequences remembered by it.
template <int N>
void FixedSearch<N>::check_sets_epoch() {
  if (sets_epoch == seen_streams.epoch()) return;
  seen_nodes.clear();
  seen_sequences.clear();
  sets_epoch = seen_streams.epoch();
}

template <int N>
bool FixedSearch<N>::repeats_earlier_node() {
  if (!skip_repeats || st->stream_len < least_repeated_stream) return false;
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
  if (st->seen_epoch != seen_streams.epoch()) describe_stream(place);
  check_sets_epoch();
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

// The commands of the candidates below the current combination of every
// slot but the main-line prefix are the prefix's and then the stream's,
// each place read as its command.  A combination whose stream reads as the
// very sequence of commands of one walked before, with a prefix of the same
// length and the same end, has candidates that each run exactly as one of
// that combination's (the prefixes below are enumerated from the length
// alone), which came first in search order: as for repeated nodes, none of
// them can be the first clear.  Sequences are found by a hash of their
// commands (each command's code times a random value of its position, two
// such sums) and then compared command by command, so that only equal ones
// count as repeats.
template <int N>
bool FixedSearch<N>::repeats_earlier_sequence() {
  if (!skip_repeats || !st->places || !st->stream_full || st->stream_len < least_repeated_stream) {
    return false;
  }
  if (st->seen_epoch != seen_streams.epoch()) describe_stream(main_places);
  check_sets_epoch();
  if (st->rank_count >= kNoRanks) return false;
  // Each command as 1 ("s"), 2 ("r") or 3 ("l").
  static constexpr auto kCode = [] {
    std::array<std::uint8_t, 16> t{};
    t[kGo] = 1;
    t[kRight] = 2;
    t[kLeft] = 3;
    return t;
  }();
  const std::size_t size = seen_streams.size(st->ranks_id);
  std::uint64_t codes = 0;
  std::uint64_t h1 = repeats_detail::mix(size);
  std::uint64_t h2 = static_cast<std::uint64_t>(slot[kMain].code.size()) << 8 |
                     static_cast<std::uint64_t>(st->stream_end);
  for (std::size_t r = 1; r <= st->rank_count; ++r) {
    const std::uint64_t code = kCode[command[st->rank_place[r]] & 15U];
    codes |= code << (2 * r);
    h1 += code * st->weight1[r];
    h2 += code * st->weight2[r];
  }
  const SequenceSeen now{st->ranks_id, codes};
  const SequenceSeen* seen = seen_sequences.add(h1 | std::uint64_t{1} << 63, h2, now);
  if (seen == nullptr) return false;
  if (seen->ranks_id == now.ranks_id) return seen->codes == now.codes;
  // Another stream: the same length, end and prefix, and the same commands
  // read through each one's codes.
  if (seen_streams.size(seen->ranks_id) != size) return false;
  const auto* a = reinterpret_cast<const std::uint8_t*>(seen_streams.data(seen->ranks_id));
  const auto* b = reinterpret_cast<const std::uint8_t*>(seen_streams.data(now.ranks_id));
  if (a[size - 2] != b[size - 2] || a[size - 1] != b[size - 1]) return false;
  std::array<std::uint8_t, 16> da{};
  std::array<std::uint8_t, 16> db{};
  for (std::size_t r = 1; r < 16; ++r) {
    da[r] = static_cast<std::uint8_t>(seen->codes >> (2 * r) & 3U);
    db[r] = static_cast<std::uint8_t>(now.codes >> (2 * r) & 3U);
  }
  return repeats_detail::same_read(a, b, size - 2, da.data(), db.data());
}

}  // namespace solver
