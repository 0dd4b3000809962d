// Which stream a candidate runs against: streams of places are kept by key
// in the engine's cache (each worker of a parallel pass has its own: sharing
// them costs more in traffic between the processors' caches than building
// the few that two workers both need).
#pragma once

#include <algorithm>
#include <array>
#include <memory>

#include "engine.hpp"
#include "interpreter.hpp"

namespace solver {

namespace stream_cache_detail {

// The class of a character in a key: 0 for a command, 1, 2, 3 for X, Y, Z,
// 4 for any other.
inline constexpr auto kTwo = [] {
  std::array<std::uint8_t, 256> t{};
  t.fill(4);
  t['s'] = t['r'] = t['l'] = 0;
  t['X'] = 1;
  t['Y'] = 2;
  t['Z'] = 3;
  return t;
}();

}  // namespace stream_cache_detail

// Whether the current slots run as places: main-line arguments of commands
// only, few enough characters to number, and slots small enough for the
// key; when they do, `key` is the key of their stream: the lengths of the
// slots (a byte each) and two bits per character of the function's slots (a
// command, X, Y or Z; some argument slots in one order, see put_last_slot).
template <int N>
bool FixedSearch<N>::places_key(StreamKey& key) const {
  if (main_arguments_hold_letters()) return false;
  KeyPart part;
  return add_slots(part, 0, N + 1) && finish_key(part, key);
}

// The same during a walk, where the part of the key that the function's
// slots before the last one make is kept while no letter of theirs moves
// (the odometer bumps outer_letters_generation whenever one may have),
// completed with the sizes of the last slot and of the main line as long as
// they stay: a node then adds only its last slot's characters (and puts
// argument slots in one order where put_last_slot may).
template <int N>
bool FixedSearch<N>::walk_places_key(StreamKey& key) {
  return walk_outer_part() && finish_walk_key(key);
}

// The walk's part of the key (see walk_places_key), for the current sizes
// of the last slot and of the main line; false when the slots may not run
// as places whatever the last slot holds.
template <int N>
bool FixedSearch<N>::walk_outer_part() {
  // The main line's sizes, a byte each (larger ones fit no key), read in
  // the same pass as main_arguments_hold_letters() reads them.
  std::uint64_t main_sizes = slot[kMain].code.size();
  bool small = main_sizes <= 0xff;
  for (int p = 0; p < N; ++p) {
    const code_parts& m = slot[kMainArg + p];
    const std::size_t n = m.code.size();
    if (static_cast<std::size_t>(m.scount + m.turncount) != n) return false;
    small = small && n <= 0xff;
    main_sizes |= static_cast<std::uint64_t>(n) << (8 * (p + 1));
  }
  if (!small) return false;
  const std::string& last = slot[N].code;
  if (outer_part_generation != outer_letters_generation || outer_main_sizes != main_sizes ||
      outer_last_size != last.size()) {
    outer_part_generation = outer_letters_generation;
    outer_main_sizes = main_sizes;
    outer_last_size = last.size();
    // The key with the sizes and the main line's places but without the
    // last slot's characters: those of the node are added below.
    // The slots before the last two change least often: their part is
    // kept while their letters stay.
    if (head_part_generation != head_letters_generation) {
      head_part_generation = head_letters_generation;
      head_part = KeyPart{};
      head_part_ok = add_slots(head_part, 0, N - 1);
    }
    KeyPart part = head_part;
    outer_part_ok = head_part_ok && add_slots(part, N - 1, N);
    outer_bit = part.bit;
    outer_part_ok =
        outer_part_ok && put_slot_size(part, last.size()) && finish_key(part, outer_key);
    outer_count = part.count;
    if (outer_part_ok) outer_id = outer_ids.id(outer_key);
  }
  return outer_part_ok;
}

// The key of the current slots from the walk's part and the last slot's
// characters (see put_last_slot).
template <int N>
bool FixedSearch<N>::finish_walk_key(StreamKey& key) const {
  key = outer_key;
  std::size_t bit = outer_bit;
  const unsigned other = put_last_slot(key, bit);
  return (other & 4U) == 0 &&
         outer_count + static_cast<std::size_t>(slot[N].scount + slot[N].turncount) < kPlaces;
}

// Points `st` at the stream of the current slots, the walk's part of their
// key made (walk_outer_part), when `recalled` holds where it lies; false
// when it does not.
template <int N>
bool FixedSearch<N>::recall_stream() {
  using stream_cache_detail::kTwo;
  recall_generation = 0;
  const std::string& last = slot[N].code;
  constexpr std::size_t kMostChars = 24;
  if (last.size() > kMostChars) return false;
  std::uint64_t pattern = 0;
  unsigned other = 0;
  for (const char ch : last) {
    const std::uint8_t two = kTwo[static_cast<unsigned char>(ch)];
    other |= two;
    pattern = pattern << 2 | (two & 3U);
  }
  if ((other & 4U) != 0) return false;
  // (The last slot's size is in the walk's part, which the id stands for.)
  recall_generation = letters_generation;
  recall_pattern = pattern;
  const RecalledStream& r = recalled[recalled_slot(pattern)];
  if (r.outer != outer_id || r.pattern != pattern) return false;
  const auto at = static_cast<std::size_t>(r.at);
  if (at >= cache.size() || !cache[at] || cache[at]->serial != r.serial) return false;
  loaded = r.at;
  st = cache[at].get();
  places_now_key = cache_key[at];
  stream_stale = false;
  stream_generation = letters_generation;
  return true;
}

// Keeps where the stream just looked for or built lies, under what
// recall_stream() read for the same letters.
template <int N>
void FixedSearch<N>::remember_stream() {
  if (recall_generation != letters_generation || loaded < 0) return;
  recalled[recalled_slot(recall_pattern)] = {outer_id, recall_pattern, st->serial, loaded};
}

template <int N>
std::size_t FixedSearch<N>::recalled_slot(std::uint64_t pattern) const {
  const std::uint64_t h = (outer_id * 0x9E3779B97F4A7C15ULL) ^ (pattern * 0xC2B2AE3D27D4EB4FULL);
  return static_cast<std::size_t>((h * 0xBF58476D1CE4E5B9ULL) >> (64 - kRecalledLog2));
}

// Adds the function's slots from .. to - 1 to a key; false when they do not
// fit one.
template <int N>
bool FixedSearch<N>::add_slots(KeyPart& part, int from, int to) const {
  for (int i = from; i < to; ++i) {
    const std::string& code = slot[i].code;
    if (!put_slot_size(part, code.size())) return false;
    part.other |= i == N ? put_last_slot(part.key, part.bit) : put_chars(part.key, part.bit, code);
    part.count += static_cast<std::size_t>(slot[i].scount + slot[i].turncount);
  }
  return true;
}

// A slot's size, if its characters fit the key.
template <int N>
bool FixedSearch<N>::put_slot_size(KeyPart& part, std::size_t n) {
  if (n > 0xff || part.bit / 2 + n > kKeyChars) return false;
  part.put_size(n);
  return true;
}

// The two bits of each character of `code` into the key from `bit` on
// (which moves past them): 0 for a command, 1, 2, 3 for X, Y, Z.  Returns
// the classes or-ed, with 4 for a character that is neither.
template <int N>
unsigned FixedSearch<N>::put_chars(StreamKey& key, std::size_t& bit, const std::string& code) {
  using stream_cache_detail::kTwo;
  unsigned other = 0;
  for (const char ch : code) {
    const std::uint8_t two = kTwo[static_cast<unsigned char>(ch)];
    other |= two;
    key.w[1 + bit / 64] |= static_cast<std::uint64_t>(two & 3U) << (bit % 64);
    bit += 2;
  }
  return other;
}

// The last argument slot of the recursive call, [N + 1], into a key (see
// put_chars), the slots before it in the key already.  An argument slot
// builds the values of its parameter only.  Take a parameter and those
// whose values reach its values, through the letters of its slot and of
// theirs in turn.  Say their slots hold nothing but commands and parameter
// letters, their commands stand side by side in one of them (a run c of
// places p, p + 1, ...), and their main-line arguments are empty.  Then
// each of their values is c^e, or the first L characters of c c c ... with
// L its call's budget: so are their first values (empty); a slot of such
// letters and c makes c^e again when none was cut, and otherwise the first
// L' characters of c c c ... again (L' <= L: up to the first value cut,
// the characters are c c c ..., and that value is at least L long), in
// whatever order it holds its letters and its run (numbered alike in every
// order, and the other slots' places stay).  So their values, every other
// value and the stream are the same for every such order of their slots:
// the key holds the characters of each in one order, the commands first,
// then X, Y, Z.  (The key holds the slots' sizes and the arguments'.)
template <int N>
unsigned FixedSearch<N>::put_last_slot(StreamKey& key, std::size_t& bit) const {
  // Of each parameter's slot: the parameters it reaches (first itself and
  // those the slot names), whether it holds commands, and whether it may
  // take part (commands and letters only, an empty main-line argument, the
  // commands side by side).
  std::array<unsigned, N> reach{};
  unsigned with_commands = 0;
  unsigned plain = 0;
#pragma GCC unroll 3
  for (int q = 0; q < N; ++q) {
    const code_parts& a = slot[kArg + q];
    const int moves = a.scount + a.turncount;
    const int letters = a.xcount + (N >= 2 ? a.ycount : 0) + (N >= 3 ? a.zcount : 0);
    reach[static_cast<std::size_t>(q)] = 1U << q | (a.xcount != 0 ? 1U : 0U) |
                                         (N >= 2 && a.ycount != 0 ? 2U : 0U) |
                                         (N >= 3 && a.zcount != 0 ? 4U : 0U);
    with_commands |= moves != 0 ? 1U << q : 0U;
    const bool fits = moves + letters == static_cast<int>(a.code.size()) &&
                      slot[kMainArg + q].code.empty() && one_run_of_commands(a.code, moves);
    plain |= fits ? 1U << q : 0U;
  }
  // The parameters whose slots are put in one order: those that reach only
  // parameters that may take part, and commands in one slot at most.
  const std::array<unsigned, N> names = reach;
#pragma GCC unroll 3
  for (int round = 1; round < N; ++round) {
#pragma GCC unroll 3
    for (int q = 0; q < N; ++q) {
      unsigned more = 0;
#pragma GCC unroll 3
      for (int r = 0; r < N; ++r) {
        more |= (reach[static_cast<std::size_t>(q)] >> r & 1U) != 0
                    ? names[static_cast<std::size_t>(r)]
                    : 0U;
      }
      reach[static_cast<std::size_t>(q)] |= more;
    }
  }
  unsigned ordered = 0;
#pragma GCC unroll 3
  for (int q = 0; q < N; ++q) {
    const unsigned r = reach[static_cast<std::size_t>(q)];
    const unsigned commanding = r & with_commands;  // at most one slot
    if ((r & ~plain) == 0 && (commanding & (commanding - 1)) == 0) ordered |= 1U << q;
  }
  const std::size_t last_bit = bit;
  const unsigned other = put_chars(key, bit, slot[N].code);
  if (ordered == 0) return other;
  // Each slot's characters start where the characters of the slots before
  // it end.
  std::size_t at = last_bit;
  for (int q = N - 1; q >= 0; --q) {
    const code_parts& a = slot[kArg + q];
    if (q < N - 1) at -= 2 * a.code.size();
    if ((ordered >> q & 1U) == 0) continue;
    std::size_t b = at;
    for (int k = 0; k < a.scount + a.turncount; ++k) put_two(key, b, 0);
    const std::array<int, 3> n = {a.xcount, a.ycount, a.zcount};
    for (int r = 0; r < N; ++r) {
      for (int k = 0; k < n[static_cast<std::size_t>(r)]; ++k) {
        put_two(key, b, static_cast<unsigned>(r + 1));
      }
    }
  }
  return other;
}

// Sets the two bits of one character in a key at `bit`, which moves past
// them.
template <int N>
void FixedSearch<N>::put_two(StreamKey& key, std::size_t& bit, unsigned two) {
  std::uint64_t& w = key.w[1 + bit / 64];
  w = (w & ~(std::uint64_t{3} << (bit % 64))) | static_cast<std::uint64_t>(two) << (bit % 64);
  bit += 2;
}

// Whether the `commands` commands of a slot of commands and parameter
// letters stand side by side.
template <int N>
bool FixedSearch<N>::one_run_of_commands(const std::string& code, int commands) {
  if (commands <= 1) return true;
  std::size_t first = 0;
  while (!interpreter_detail::is_command(code[first])) ++first;
  for (std::size_t c = first + 1; c < first + static_cast<std::size_t>(commands); ++c) {
    if (!interpreter_detail::is_command(code[c])) return false;
  }
  return true;
}

// Completes a key of the function's slots with the main line's sizes.
template <int N>
bool FixedSearch<N>::finish_key(KeyPart& part, StreamKey& key) const {
  if ((part.other & 4U) != 0) return false;
  if (slot[kMain].code.size() > 0xff) return false;
  part.put_size(slot[kMain].code.size());
  for (int p = 0; p < N; ++p) {
    const std::size_t n = slot[kMainArg + p].code.size();
    if (n > 0xff) return false;
    part.put_size(n);
    part.count += n;
  }
  key = part.key;
  key.w[0] = part.sizes;
  return part.count < kPlaces;
}

template <int N>
bool FixedSearch<N>::use_places() const {
  StreamKey key;
  return places_key(key);
}

// How many streams the cache keeps: a few megabytes' worth (a stream and
// its values take some bytes per command of the step limit).
template <int N>
std::size_t FixedSearch<N>::cache_limit() const {
  constexpr std::size_t kCacheBytes = std::size_t{16} << 20;
  const std::size_t per_stream = 8 * (static_cast<std::size_t>(std::max(robot.msteps, 1)) + 64);
  return std::clamp<std::size_t>(kCacheBytes / per_stream, 16, kMostCached);
}

// Points `st` at the stream of the current slots (`with_places`: as
// use_places() tells): for places, the one loaded, one from the cache, or a
// new one in place of the oldest; a stream of characters is built afresh in
// `own`.
template <int N>
void FixedSearch<N>::ensure_stream(bool with_places) {
  if (!with_places) {
    st = &own;
    loaded = -1;
    start_stream();
    return;
  }
  // (Called from outside the walk: the slots may have been set without a
  // generation bumped, so the builder cuts them afresh.)
  cut_outer_kept = false;
  StreamKey key;
  places_key(key);
  ensure_stream(key);
}

// Points `st` at the stream of places with this key.
template <int N>
void FixedSearch<N>::ensure_stream(const StreamKey& key) {
  // A cached stream is never stale.
  stream_stale = false;
  if (loaded >= 0 && cache_key[static_cast<std::size_t>(loaded)] == key) {
    st = cache[static_cast<std::size_t>(loaded)].get();
    return;
  }
  if (const int at = cache_index.find(key, cache_key); at >= 0) {
    loaded = at;
    st = cache[static_cast<std::size_t>(at)].get();
    return;
  }
  std::size_t at = 0;
  if (cache.size() < cache_limit()) {
    at = cache.size();
    cache.emplace_back();
    cache_key.emplace_back();
  } else {
    at = next_victim++ % cache.size();
    // The index may have been emptied since (a new pass).
    cache_index.drop(cache_key[at], static_cast<int>(at));
  }
  cache_key[at] = key;
  cache_index.add(key, static_cast<int>(at));
  loaded = static_cast<int>(at);
  std::unique_ptr<StreamState>& entry = cache[at];
  if (!entry) entry = std::make_unique<StreamState>();
  st = entry.get();
  st->serial = ++stream_serials;
  start_stream(1);
}

}  // namespace solver
