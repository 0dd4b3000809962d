// Building a stream of places to its end in one go.  It holds the same
// bytes, and ends the same way, as extending it call by call would
// (extend_stream): the calls and their values are the same, only laid out
// as flat buffers cut into pieces once per stream instead of once per call.
#pragma once

#include <algorithm>
#include <array>
#include <cstring>

#include "engine.hpp"
#include "interpreter.hpp"

namespace solver {

namespace full_stream_detail {

// Every buffer the builder copies from or to has kSlack bytes to spare past
// what it holds, so that pieces and values, mostly a few bytes, are copied
// in whole blocks of 16; the first block is copied even for none (the
// loop's end is then foreseen for every piece up to 16 bytes).
inline constexpr std::size_t kSlack = 32;

inline void copy_bytes(char* to, const char* from, std::size_t n) {
  std::size_t i = 0;
  do {
    std::memcpy(to + i, from + i, 16);
    i += 16;
  } while (i < n);
}

// Whether n bytes at a and at b are the same, both with kSlack bytes to
// spare.  Values of up to 16 bytes (most of them) are compared as one block
// each, the bytes past n masked off.
inline constexpr auto kFirstBytes = [] {
  std::array<unsigned char, 32> m{};
  for (std::size_t i = 0; i < 16; ++i) m[i] = 0xff;
  return m;
}();

inline bool same_bytes(const char* a, const char* b, std::size_t n) {
  if (n > 16) return std::memcmp(a, b, n) == 0;
  std::uint64_t x[2];
  std::uint64_t y[2];
  std::uint64_t mask[2];
  std::memcpy(x, a, 16);
  std::memcpy(y, b, 16);
  std::memcpy(mask, kFirstBytes.data() + 16 - n, 16);  // n bytes of 0xff
  return (((x[0] ^ y[0]) & mask[0]) | ((x[1] ^ y[1]) & mask[1])) == 0;
}

}  // namespace full_stream_detail

// Cuts a slot into pieces: runs of commands (places) and parameter letters;
// any other character is skipped, as the interpreter skips it.  Each
// command of the slot takes the next place, counted from `next` (which
// moves past them all, also past the first n characters).  The places of
// the first n characters are written to `text` at `used` (which the caller
// has made room for, with kSlack bytes to spare after them), where the
// pieces of places point; `used` moves past them and the spare bytes.
template <int N>
void FixedSearch<N>::cut_pieces(const std::string& code, std::size_t n, std::size_t& next,
                                char* text, std::size_t& used, Pieces& out) {
  const std::size_t base = used;
  used += n + full_stream_detail::kSlack;
  out.count = 0;
  out.letters = 0;
  std::size_t run_end = 0;  // where the last piece of places ends, 0: none
  for (std::size_t i = 0; i < n; ++i) {
    const char ch = code[i];
    if (interpreter_detail::is_command(ch)) {
      text[base + i] = static_cast<char>(next++);
      if (run_end == base + i && run_end != 0) {
        ++out.piece[out.count - 1].len;
      } else {
        out.piece[out.count++] = {N, static_cast<std::uint16_t>(base + i), 1};
      }
      run_end = base + i + 1;
      continue;
    }
    const int p = ch - 'X';
    if (p < 0 || p >= N) continue;
    out.piece[out.count++] = {static_cast<std::uint16_t>(p), 0, 0};
    out.letters |= 1U << p;
  }
  for (std::size_t i = n; i < code.size(); ++i) {
    next += interpreter_detail::is_command(code[i]) ? 1 : 0;
  }
}

// The stream (fresh, of places, with main-line arguments of commands only)
// built until it ends.
template <int N>
void FixedSearch<N>::build_full_stream() {
  using full_stream_detail::kSlack;
  const std::size_t room = st->room;  // at least 1: the stream is open
  if (st->stream.size() < room + kSlack) st->stream.resize(room + kSlack);
  char* const out = st->stream.data();
  std::size_t len = 0;

  const code_parts& j = slot[kBody];
  // The slots' text, their commands as places: each slot and main-line
  // argument, with kSlack spare bytes after it (whatever they hold: copies
  // past a piece's end are cut off by the lengths that follow them).
  const std::string& body_code = j.code;
  const std::size_t body_n =
      std::min(body_code.size(), static_cast<std::size_t>(std::max(j.length, 0)));
  std::size_t text_size = body_n + kSlack;
  for (int p = 0; p < N; ++p) {
    text_size += slot[kArg + p].code.size() + slot[kMainArg + p].code.size() + 2 * kSlack;
  }
  std::vector<char>& text = scratch_text;
  if (text.size() < text_size) text.resize(std::max(text_size, 2 * text.size()));
  char* const t = text.data();
  std::size_t used = 0;
  std::size_t place = 1;
  Pieces& body = cut_body;
  std::array<Pieces, N>& arg = cut_args;
  // (The pieces of a slot follow from where it holds commands and which
  // letters: they stay while its letters stay, see cut_outer_generation.)
  if (cut_outer_kept && cut_outer_generation == outer_letters_generation &&
      cut_outer_body == body_n) {
    used = cut_outer_used;
    place = cut_outer_place;
  } else {
    cut_pieces(body_code, body_n, place, t, used, body);
    cut_outer_body = body_n;
    for (int p = 0; p + 1 < N; ++p) {
      const std::string& code = slot[kArg + p].code;
      cut_pieces(code, code.size(), place, t, used, arg[p]);
    }
    cut_outer_used = used;
    cut_outer_place = place;
    cut_outer_generation = outer_letters_generation;
    cut_outer_kept = true;
  }
  const std::string& last_code = slot[kArg + N - 1].code;
  cut_pieces(last_code, last_code.size(), place, t, used, arg[N - 1]);
  std::array<bool, N> commands{};
  for (int p = 0; p < N; ++p) {
    commands[p] = slot[kArg + p].scount != 0 || slot[kArg + p].turncount != 0;
  }
  // The main line's arguments, commands only: a place each.
  std::array<std::size_t, N> main_at{};
  std::array<std::size_t, N> main_size{};
  for (int p = 0; p < N; ++p) {
    main_at[p] = used;
    main_size[p] = slot[kMainArg + p].code.size();
    for (std::size_t i = 0; i < main_size[p]; ++i) t[used + i] = static_cast<char>(place++);
    used += main_size[p] + kSlack;
  }

  const bool body_moves = j.scount != 0 || j.turncount != 0;
  // The parameters live_parameters() names, from the letters of the pieces.
  unsigned live = body.letters;
  for (int round = 1; round < N; ++round) {
    for (int q = 0; q < N; ++q) {
      if ((live >> q & 1U) != 0) live |= arg[q].letters;
    }
  }

  // Values of the call being emitted (cur) and of the next (next): bytes
  // for the live parameters, only whether they are empty for the others.
  const std::size_t stride = room + kSlack;
  if (scratch.size() < kKeptCalls * N * stride) scratch.resize(kKeptCalls * N * stride);
  // The values of the last kKeptCalls calls, in sets of buffers taken in
  // turn: set k % kKeptCalls holds those of call k (the first call is call
  // 0), with where that call's commands start.  A set is also where the
  // pieces of the next call read (see Piece): source N is the slots' text.
  constexpr int kKept = kKeptCalls;
  struct CallValues {
    std::array<char*, N + 1> at;
    std::array<std::size_t, N + 1> size;
    std::size_t start;
  };
  std::array<CallValues, kKept> sets;
  for (int k = 0; k < kKept; ++k) {
    for (int p = 0; p < N; ++p) {
      sets[k].at[p] = scratch.data() + static_cast<std::size_t>(k * N + p) * stride;
    }
    sets[k].at[N] = t;
    sets[k].size[N] = 0;
  }
  int call = 0;
  CallValues* cur = &sets[0];
  CallValues* next = &sets[1];

  // Emits a call whose values are those of `from`; false once the stream
  // holds `room` commands.  (Pieces past that point take nothing: their
  // blocks land in the spare bytes.)
  const int body_count = body.count;
  const auto emit_call = [&](const CallValues& from) {
    for (int i = 0; i < body_count; ++i) {
      const Piece& pc = body.piece[i];
      const std::size_t take = std::min(from.size[pc.source] + pc.len, room - len);
      full_stream_detail::copy_bytes(out + len, from.at[pc.source] + pc.start, take);
      len += take;
    }
    return len != room;
  };

  StreamEnd end = StreamEnd::Open;
  // The first call's values are the main line's arguments.
  CallValues& first = sets[0];
  for (int p = 0; p < N; ++p) {
    const bool is_live = (live >> p & 1U) != 0;
    const std::size_t size = std::min(main_size[p], room);
    if (is_live) full_stream_detail::copy_bytes(first.at[p], t + main_at[p], size);
    first.size[p] = is_live ? size : main_size[p] == 0 ? 0 : 1;
  }
  // (Cut to the room, they emit what the whole arguments would.)
  if (!emit_call(first)) end = StreamEnd::Limit;
  // The values just built equal those of set `h` (for a parameter that is
  // not live: both empty or both not), none of them cut to the budget.
  const auto same_values = [&](const CallValues& h, std::size_t budget) {
    for (int p = 0; p < N; ++p) {
      if (next->size[p] != h.size[p]) return false;
      if ((live >> p & 1U) == 0) continue;
      if (next->size[p] >= budget ||
          !full_stream_detail::same_bytes(next->at[p], h.at[p], next->size[p]))
        return false;
    }
    return true;
  };
  // Whether the values of the call just built are those of a call d = 2
  // .. kKept - 1 calls before it, with no value cut to its budget since then
  // (a value whose size reaches its call's budget may have been cut); if
  // they are, fills the rest of the stream with their commands.
  constexpr int kLongStream = 12;
  const auto repeats_since = [&](int k, std::size_t before) {
    for (int d = 2; d < kKept; ++d) {
      const CallValues& h = sets[(k - d) % kKept];
      const std::size_t period = before - h.start;
      if (period == 0 || !same_values(h, room - before)) continue;
      bool uncut = true;
      for (int j = k - d + 1; j < k && uncut; ++j) {
        const CallValues& v = sets[j % kKept];
        for (int p = 0; p < N; ++p) {
          uncut = uncut && ((live >> p & 1U) == 0 || v.size[p] < room - v.start);
        }
      }
      if (!uncut) continue;
      st->period = period;
      st->period_start = h.start;
      while (len != room) {
        const std::size_t take = std::min(period, room - len);
        std::memcpy(out + len, out + len - period, take);
        len += take;
      }
      end = StreamEnd::Limit;
      return true;
    }
    return false;
  };
  int idle = 0;
  bool built = false;
  while (end == StreamEnd::Open) {
    // Each value is the first `budget` characters of its slot with the
    // parameters replaced by the previous values (see recursion()).
    const std::size_t budget = room - len;
    ++call;
    next->start = len;
    bool all_empty = true;
    for (int p = 0; p < N; ++p) {
      if ((live >> p & 1U) == 0) {
        bool non_empty = commands[p];
        for (int q = 0; q < N && !non_empty; ++q) {
          non_empty = (arg[p].letters >> q & 1U) != 0 && cur->size[q] != 0;
        }
        next->size[p] = non_empty ? 1 : 0;
      } else {
        // (Pieces past the budget take nothing, as above.)
        const Pieces& pieces = arg[p];
        const int count = pieces.count;
        char* const to = next->at[p];
        std::size_t at = 0;
        for (int i = 0; i < count; ++i) {
          const Piece& pc = pieces.piece[i];
          const std::size_t take = std::min(cur->size[pc.source] + pc.len, budget - at);
          full_stream_detail::copy_bytes(to + at, cur->at[pc.source] + pc.start, take);
          at += take;
        }
        next->size[p] = at;
      }
      all_empty = all_empty && next->size[p] == 0;
    }
    built = true;
    if (all_empty && !body_moves) {
      end = StreamEnd::FixedPoint;
      break;
    }
    const std::size_t before = len;
    if (!emit_call(*next)) {
      end = StreamEnd::Limit;
      break;
    }
    if (len != before) {
      idle = 0;
    } else if (++idle > (1 << N)) {
      // See idle_level_ends_run: values of commands only.
      end = StreamEnd::Idle;
      break;
    }
    if (len != before && same_values(*cur, budget)) {
      // The values came back unchanged, and uncut: every later call is built
      // from the same values and emits the same commands, until the stream
      // is full (a call that cuts a value to its budget emits the same
      // commands up to the limit, see recursion()).  So the rest of the
      // stream repeats this call's commands, and the last call built holds
      // these values cut to that call's budget.
      const std::size_t period = len - before;
      st->period = period;
      st->period_start = before;
      const std::size_t last_budget = room - (len + (room - len - 1) / period * period);
      while (len != room) {
        const std::size_t take = std::min(len - before, room - len);
        std::memcpy(out + len, out + before, take);
        len += take;
      }
      for (int p = 0; p < N; ++p) {
        if ((live >> p & 1U) != 0) next->size[p] = std::min(next->size[p], last_budget);
      }
      end = StreamEnd::Limit;
      break;
    }
    // The values of d calls before, for d of 2 or more: the calls since
    // then, none of whose values was cut, go round the same values again and
    // again, until the stream is full (as above), so the stream repeats
    // their commands.  Looked for only in streams of many calls (most
    // streams end within a few), and not in the engine's own stream (the
    // values of its last call are not worked out: a stream that repeats so
    // is built to its end call by call).
    if (call >= kLongStream && st != &own && repeats_since(call, before)) break;
    cur = next;
    next = &sets[(call + 1) % kKept];
  }

  st->stream_len = len;
  st->stream_end = end;
  st->first_call_done = true;
  st->swap_pending = true;
  if (built && st == &own) {
    // The values of the last call built, as extend_stream leaves them: a
    // full stream is never extended, so only the engine's own stream keeps
    // them (for the argument() test hook); a cached stream would write them
    // into memory no run reads.
    for (int p = 0; p < N; ++p) {
      if ((live >> p & 1U) != 0) {
        st->value[p].assign(next->at[p], next->at[p] + next->size[p]);
      } else {
        st->value[p].assign(next->size[p], '.');
      }
    }
  }
}

}  // namespace solver
