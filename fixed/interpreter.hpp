// The template interpreter: runs one candidate on the robot.
//
// A run is the main-line prefix, the first call (the body with each parameter
// letter standing for a main-line argument fragment), then one level per
// further call: the arguments of the next call are built from the argument
// slots and the previous call's values, and the body runs with them.  The
// recursion has no base case; a run ends when a motion operation refuses,
// when nothing is left to execute, or with a clear.
//
// Argument values are kept only as far as they can still matter.  Let B be
// the budget msteps - steps when a value is built.  From then on at most B
// more commands are begun in the run (the B-th is refused), and every later
// build reads a value with a budget of at most B, either whole (only when it
// has at most B characters) or as its first B characters.  So a value V is
// kept as T(V), its prefix through both its B-th character and its B-th
// command:
//   - Run as commands, T(V) begins the same commands as V up to the one that
//     is refused.
//   - Read by a later build, T(V) gives the same characters as V, with one
//     exception: a T(V) shorter than V that has exactly B characters, all
//     commands, read with the same budget B at the start of the build, is
//     appended whole where V would be cut to the same B characters, and the
//     build reads on.  The value built then starts with B commands either
//     way, so its own T() is the same.
// Every value built from kept values therefore keeps the same T() as the
// value the full rule builds, and no executed command, fixed-point test or
// idle level ever differs.  When the main-line arguments hold commands only
// (always so for enumerated and resumed candidates) every value is made of
// commands and T(V) is simply its first B characters; the general form is
// needed only for a fixed main-line fragment with parameter letters, whose
// letters are copied into the values and skipped when run.  Each kept value
// thus has at most B characters (at most 2B plus the slot's size with
// letters), instead of doubling level by level up to twice the budget.
//
// A parameter is live when its value can reach the body: the body names it,
// or an argument slot of a live parameter does.  Values only flow along the
// argument slots, so the value of a parameter that is not live is never run
// and only ever feeds values that are not live either; all that can matter of
// it is whether it is empty (for the fixed-point test).  Such a value is kept
// as nothing or one placeholder character: it is non-empty exactly when its
// slot holds a command or names a parameter whose previous value is
// non-empty (a cut never empties a value).  So an argument that doubles every
// level without being run costs no memory at all.
#pragma once

#include <algorithm>
#include <cstring>

#include "engine.hpp"

namespace solver {

namespace interpreter_detail {

// The code of each command character, 0 for any other: slots read through
// it without a branch per character.
inline constexpr std::array<std::uint8_t, 256> kCodeOf = [] {
  std::array<std::uint8_t, 256> codes{};
  codes['s'] = kGo;
  codes['r'] = kRight;
  codes['l'] = kLeft;
  return codes;
}();
inline std::uint8_t code_of(char ch) {
  return kCodeOf[static_cast<unsigned char>(ch)];
}

inline bool is_command(char ch) {
  return ch == 's' || ch == 'r' || ch == 'l';
}

// A command, or a place standing for one (the bytes 1 .. 'X' - 1, below the
// parameter letters).
inline bool is_literal(char ch) {
  return is_command(ch) || static_cast<unsigned char>(ch) - 1U < static_cast<unsigned>('X' - 1);
}

// Appends n bytes; the capacity grows geometrically but never past `limit`,
// which the caller guarantees the value never exceeds.
inline void append_bytes(ArgValue& d, const char* p, std::size_t n, std::size_t limit) {
  const std::size_t need = d.size() + n;
  if (need > d.capacity()) d.reserve(std::max(need, std::min(limit, 2 * d.capacity())));
  d.insert(d.end(), p, p + n);
}

}  // namespace interpreter_detail

template <int N>
FixedSearch<N>::FixedSearch(Console& console, const Grid& g, const Limits& limits)
    : c(console), grid(g), lim(limits), literal(console.literal) {
  robot.bind(grid, lim.msteps, lim.mlastfail);
  literal_robot.bind(grid, lim.msteps, lim.mlastfail);
  const std::size_t initial = static_cast<std::size_t>(std::clamp(lim.msteps, 1, 1024));
  for (int p = 0; p < N; ++p) {
    st->value[p].reserve(initial);
    st->old[p].reserve(initial);
  }
}

// The direct run of one candidate, for a combination with one main-line
// prefix only, where a stream would be built for a single run: each call
// runs on the robot as its values are built, the same levels as the stream
// would hold.
template <int N>
template <typename Bound>
int FixedSearch<N>::run_body(const Bound& bound) {
  const code_parts& j = slot[kBody];
  const std::size_t n = std::min(j.code.size(), static_cast<std::size_t>(std::max(j.length, 0)));
  return run_with_parameters<N>(robot, std::string_view(j.code.data(), n), bound);
}

// The first call: X, Y, Z stand for the main-line argument fragments.
template <int N>
int FixedSearch<N>::jikkou0() {
  return run_body([this](int p) { return std::string_view(slot[kMainArg + p].code); });
}

// Later calls: X, Y, Z stand for the values built for this call.
template <int N>
int FixedSearch<N>::jikkou() {
  return run_body(
      [this](int p) { return std::string_view(st->value[p].data(), st->value[p].size()); });
}

// Appends commands to the stream; false once the stream is full (its last
// command is the one the step limit refuses).
template <int N>
bool FixedSearch<N>::emit(const char* p, std::size_t n) {
  const std::size_t left = st->room - emitted();
  const std::size_t take = std::min(n, left);
  const std::size_t need = st->stream_len + take;
  if (need > st->stream.size()) st->stream.resize(std::max(need, 2 * st->stream.size()));
  if (take != 0) std::memcpy(st->stream.data() + st->stream_len, p, take);
  st->stream_len = need;
  if (take == left) {
    st->stream_end = StreamEnd::Limit;
    return false;
  }
  return true;
}

// One call: the body with each parameter letter standing for bound(p).
// Characters other than commands (letters in values) are skipped, as the
// plain execution skips them.
template <int N>
template <typename Bound>
void FixedSearch<N>::emit_body(const Bound& bound) {
  using interpreter_detail::is_command;
  const std::string& j = st->fn[kBody];
  const std::size_t n =
      std::min(j.size(), static_cast<std::size_t>(std::max(slot[kBody].length, 0)));
  for (std::size_t i = 0; i < n; ++i) {
    const char ch = j[i];
    if (interpreter_detail::is_literal(ch)) {
      // The commands up to the next letter, at once.
      std::size_t end = i + 1;
      while (end < n && interpreter_detail::is_literal(j[end])) ++end;
      if (!emit(j.data() + i, end - i)) return;
      i = end - 1;
      continue;
    }
    const int p = ch - 'X';
    if (p < 0 || p >= N) continue;
    const std::string_view v = bound(p);
    if (!st->letters) {
      if (!emit(v.data(), v.size())) return;
      continue;
    }
    for (const char vc : v) {
      if (is_command(vc) && !emit(&vc, 1)) return;
    }
  }
}

// Builds the next call's argument from an argument slot and the previous
// values, for values made of commands only: the first `budget` characters of
// the slot with each parameter letter replaced by its previous value (the
// full rule's cut keeps these same characters).
template <int N>
void FixedSearch<N>::recursion(const std::string& source, ArgValue& dest, std::size_t budget) {
  // The value's size first, so that it is written with one resize and
  // block copies.
  std::size_t size = 0;
  for (const char ch : source) {
    const int p = ch - 'X';
    if (p >= 0 && p < N) {
      size += st->old[static_cast<std::size_t>(p)].size();
    } else if (p < 0 || p >= 3) {
      size += interpreter_detail::is_literal(ch) ? 1 : 0;
    }
    if (size >= budget) break;
  }
  size = std::min(size, budget);
  if (size > dest.capacity()) dest.reserve(std::max(size, std::min(budget, 2 * dest.capacity())));
  dest.resize(size);
  char* out = dest.data();
  std::size_t at = 0;
  for (const char ch : source) {
    if (at == size) return;
    const int p = ch - 'X';
    if (p >= 0 && p < N) {
      const ArgValue& o = st->old[static_cast<std::size_t>(p)];
      const std::size_t take = std::min(o.size(), size - at);
      if (take != 0) std::memcpy(out + at, o.data(), take);
      at += take;
    } else if (interpreter_detail::is_literal(ch)) {
      out[at++] = ch;
    }
  }
}

// The same when the values may hold parameter letters: the full rule (when
// size(destination) + size(oldP) exceeds the budget, the first `budget`
// characters of oldP are appended and the rest of the slot is not read),
// stopping as soon as the value holds `budget` characters and `budget`
// commands.
template <int N>
void FixedSearch<N>::recursion_with_letters(const std::string& source, ArgValue& dest,
                                            std::size_t budget) {
  using interpreter_detail::append_bytes;
  using interpreter_detail::is_command;
  dest.clear();
  std::size_t commands = 0;
  const std::size_t limit = 2 * budget + source.size();
  // Appends one character; true once nothing after it can matter.
  const auto put = [&](char ch) {
    append_bytes(dest, &ch, 1, limit);
    if (is_command(ch)) ++commands;
    return dest.size() >= budget && commands >= budget;
  };
  for (const char ch : source) {
    if (is_command(ch)) {
      if (put(ch)) return;
      continue;
    }
    const int p = ch - 'X';
    if (p < 0 || p >= N) continue;
    const ArgValue& o = st->old[static_cast<std::size_t>(p)];
    if (dest.size() + o.size() > budget) {
      const std::size_t take = std::min(budget, o.size());
      for (std::size_t i = 0; i < take; ++i) {
        if (put(o[i])) return;
      }
      return;
    }
    for (const char v : o) {
      if (put(v)) return;
    }
  }
}

// Whether the main-line arguments, and so the values built from them, may
// hold parameter letters (only a fixed main-line fragment can).
template <int N>
bool FixedSearch<N>::main_arguments_hold_letters() const {
  for (int p = 0; p < N; ++p) {
    const code_parts& m = slot[kMainArg + p];
    if (static_cast<std::size_t>(m.scount + m.turncount) != m.code.size()) return true;
  }
  return false;
}

// After the first call: its arguments become the previous values of the
// first level.
template <int N>
template <typename Bound>
void FixedSearch<N>::start_levels(const Bound& bound) {
  for (int p = 0; p < N; ++p) {
    const std::string_view m = bound(p);
    st->old[p].assign(m.begin(), m.end());
  }
  const code_parts& j = slot[kBody];
  st->body_moves = j.scount != 0 || j.turncount != 0;
  st->live = live_parameters();
  for (int p = 0; p < N; ++p) {
    if ((st->live >> p & 1U) == 0) keep_emptiness_only(st->old[p]);
  }
  st->idle = 0;
}

// Builds the values of the next call from the argument slots and the
// previous values; true when every one of them is empty.
template <int N>
bool FixedSearch<N>::build_values(std::size_t budget, bool from_stream) {
  bool all_empty = true;
  for (int p = 0; p < N; ++p) {
    const std::string& source = from_stream ? st->fn[kArg + p] : slot[kArg + p].code;
    if ((st->live >> p & 1U) == 0) {
      build_emptiness_only(slot[kArg + p], st->value[p]);
    } else if (st->letters) {
      recursion_with_letters(source, st->value[p], budget);
    } else {
      recursion(source, st->value[p], budget);
    }
    all_empty = all_empty && st->value[p].empty();
  }
  return all_empty;
}

// Called after a level that began no command; true when no later level can
// begin one either, so that the run can end as failed.
//
// Values of commands only: whether each value is empty follows from whether
// the previous values were (a value is non-empty exactly when its slot holds
// a command or a parameter whose previous value is non-empty; the cut never
// empties a value), and whether a level begins a command follows from the
// same N booleans.  Among 2^N + 1 idle levels in a row two have the same
// booleans, so the sequence repeats from there on through idle levels only.
//
// Values with parameter letters: a letter takes room without being a
// command, so the booleans no longer tell the future.  While levels stay
// idle the budget stays the same and the values alone decide the next ones;
// the run ends when they repeat (cycle detection by doubling steps), which
// the full rule would follow for ever without a command.
template <int N>
bool FixedSearch<N>::idle_level_ends_run(int& idle, bool letters_in_values) {
  ++idle;
  if (!letters_in_values) return idle > (1 << N);
  if (idle == 1) {
    st->saved = st->value;
    st->saved_power = 1;
    st->saved_age = 0;
    return false;
  }
  if (st->value == st->saved) return true;
  if (++st->saved_age == st->saved_power) {
    st->saved = st->value;
    st->saved_power *= 2;
    st->saved_age = 0;
  }
  return false;
}

// Bit p set: parameter p (X, Y, Z) is live.
template <int N>
unsigned FixedSearch<N>::live_parameters() const {
  const code_parts& j = slot[kBody];
  const std::size_t n = std::min(j.code.size(), static_cast<std::size_t>(std::max(j.length, 0)));
  unsigned live = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const int p = j.code[i] - 'X';
    if (p >= 0 && p < N) live |= 1U << p;
  }
  for (int round = 1; round < N; ++round) {
    for (int q = 0; q < N; ++q) {
      if ((live >> q & 1U) == 0) continue;
      const code_parts& source = slot[kArg + q];
      live |= (source.xcount != 0 ? 1U : 0U) | (source.ycount != 0 ? 2U : 0U) |
              (source.zcount != 0 ? 4U : 0U);
    }
  }
  return live & ((1U << N) - 1);
}

template <int N>
void FixedSearch<N>::keep_emptiness_only(ArgValue& v) {
  if (!v.empty()) v.assign(1, '.');
}

template <int N>
void FixedSearch<N>::build_emptiness_only(const code_parts& source, ArgValue& dest) const {
  const bool non_empty = source.scount != 0 || source.turncount != 0 ||
                         (source.xcount != 0 && !st->old[0].empty()) ||
                         (N >= 2 && source.ycount != 0 && !st->old[N >= 2 ? 1 : 0].empty()) ||
                         (N >= 3 && source.zcount != 0 && !st->old[N >= 3 ? 2 : 0].empty());
  dest.clear();
  if (non_empty) dest.push_back('.');
}

// Starts the stream for the current slots: the prefix [N+2] has
// size(code) commands, so the step limit leaves msteps - size commands after
// it (refused or not).
template <int N>
void FixedSearch<N>::start_stream(int places) {
  // A caller that does not know whether the slots run as places is not the
  // walk, whose generations tell the builder when it may keep its cut.
  if (places < 0) cut_outer_kept = false;
  st->stream_len = 0;
  st->stream_base = 0;
  const auto prefix = static_cast<long long>(slot[kMain].code.size());
  const long long left = static_cast<long long>(robot.msteps) - prefix;
  st->room = left > 0 ? static_cast<std::size_t>(left) : 0;
  st->stream_end = st->room == 0 ? StreamEnd::Limit : StreamEnd::Open;
  st->first_call_done = false;
  stream_stale = false;
  st->letters = main_arguments_hold_letters();
  st->places = places < 0 ? use_places() : places != 0;
  // The slots, with places for their commands (numbered in order) when
  // the stream is one of places; copied in one pass.
  int next = 1;
  const auto copy_slot = [&](const std::string& code, std::string& to, bool all_commands) {
    to.resize(code.size());
    if (!st->places) {
      std::memcpy(to.data(), code.data(), code.size());
      return;
    }
    for (std::size_t c = 0; c < code.size(); ++c) {
      const char ch = code[c];
      const bool place = all_commands || interpreter_detail::is_command(ch);
      to[c] = place ? static_cast<char>(next) : ch;
      next += place ? 1 : 0;
    }
  };
  // A stream of places that complete_stream builds whole at once numbers
  // the places as it cuts the slots: only their count is needed here.
  if (st->places && st->room <= kCompleteRoom) {
    // (A slot's counts count its commands.)
    for (int i = 0; i <= N; ++i) next += slot[i].scount + slot[i].turncount;
    for (int p = 0; p < N; ++p) next += static_cast<int>(slot[kMainArg + p].code.size());
  } else {
    for (int i = 0; i <= N; ++i) copy_slot(slot[i].code, st->fn[i], false);
    for (int p = 0; p < N; ++p) copy_slot(slot[kMainArg + p].code, st->main_args[p], true);
  }
  st->place_count = static_cast<std::size_t>(next - 1);
  st->fit_places();
  command['s'] = kGo;
  command['r'] = kRight;
  command['l'] = kLeft;
  st->stream_full = false;
  st->weighed = false;
  st->main_print_from = 0;
  st->outer_stamp = ~std::uint64_t{0};
  st->function_stamp = ~std::uint64_t{0};
  st->period = 0;
  st->period_start = 0;
  if (st->places) complete_stream();
}

// Builds a stream of places to its end and counts its places, for step
// limits of ordinary size (with huge ones runs end long before the limit
// and the stream is built only as far as they go).
template <int N>
void FixedSearch<N>::complete_stream() {
  if (st->room > kCompleteRoom) return;
  if (st->stream_len == 0 && !st->first_call_done && !st->letters &&
      st->stream_end == StreamEnd::Open) {
    build_full_stream();
  }
  while (st->stream_end == StreamEnd::Open) extend_stream();
  if (st->stream_end == StreamEnd::Open) return;
  const std::size_t runnable = runnable_commands();
  // Counted in two halves, the even and the odd commands, so that a place
  // met on consecutive commands does not wait for its own count; the
  // halves are left at zero for the next stream.  The places' weights in
  // the prints of runs (run_prints.hpp) are summed alike.
  auto& [even, odd] = place_counts;
  auto& [even_weight, odd_weight] = place_weights;
  const std::size_t offset = slot[kMain].code.size();
  ensure_print_numbers(offset + runnable);
  const auto* bytes = reinterpret_cast<const unsigned char*>(st->stream.data());
  const std::size_t places = st->place_count + 1;
  weigh_once(runnable, [&] {
    const PrintSum* number = print_numbers.data() + offset;
    std::uint32_t* const even_count = even.data();
    std::uint32_t* const odd_count = odd.data();
    PrintSum* const even_sum = even_weight.data();
    PrintSum* const odd_sum = odd_weight.data();
    std::size_t i = 0;
    for (; i + 1 < runnable; i += 2) {
      // Both places read before anything is stored (the stream's bytes may
      // alias the counts as far as the compiler knows).
      const unsigned a = bytes[i];
      const unsigned b = bytes[i + 1];
      ++even_count[a];
      ++odd_count[b];
      even_sum[a] += number[i];
      odd_sum[b] += number[i + 1];
    }
    if (i < runnable) {
      ++even_count[bytes[i]];
      even_sum[bytes[i]] += number[i];
    }
    // Places lie below place_count + 1: the halves hold nothing above it.
    for (std::size_t p = 0; p < places; ++p) {
      st->occurs[p] = even[p] + odd[p];
      even[p] = odd[p] = 0;
      st->weight[p] = even_weight[p] + odd_weight[p];
      even_weight[p] = odd_weight[p] = PrintSum{};
    }
  });
  st->stream_full = true;
}

// Weighs the current stream (`weigh` sums its counts and weights) unless
// the cache holds a twin to take them from; notes where a stream of the
// cache lies for later twins.  Only streams of the cache are looked for
// and kept: the engine's own serves one combination or one run.
template <int N>
template <typename Weigh>
void FixedSearch<N>::weigh_once(std::size_t runnable, const Weigh& weigh) {
  const bool cached = stream_cached();
  const std::uint64_t hash =
      cached ? WeighedStreams::hash(reinterpret_cast<const unsigned char*>(stream_bytes()),
                                    runnable, st->room, st->place_count + 1)
             : 0;
  if (!cached || !weights_from_twin(hash, runnable)) {
    weigh();
    if (cached) weighed_streams.keep(hash, st->serial, loaded);
  }
  st->weighed = true;
  print_fn_stream = nullptr;
}

// Copies the counts and weights of the stream that the cache holds with the
// same bytes as the current one (the same runnable commands, the same room,
// so the same main-line prefix, and the same places), if it still does.
template <int N>
bool FixedSearch<N>::weights_from_twin(std::uint64_t hash, std::size_t runnable) {
  const WeighedStreams::Entry* e = weighed_streams.find(hash);
  if (e == nullptr || e->at == loaded) return false;
  const StreamState& twin = *cache[static_cast<std::size_t>(e->at)];
  if (twin.serial != e->serial || !twin.weighed || twin.stream_len != st->stream_len ||
      twin.stream_end != st->stream_end || twin.room != st->room ||
      twin.place_count != st->place_count) {
    return false;
  }
  if (runnable != 0 && std::memcmp(twin.stream.data(), stream_bytes(), runnable) != 0) return false;
  const std::size_t places = st->place_count + 1;
  std::copy_n(twin.occurs.begin(), places, st->occurs.begin());
  std::copy_n(twin.weight.begin(), places, st->weight.begin());
  ++twin_weights;
  return true;
}

// The forward commands of a full stream of places at places from .. to - 1
// for the current candidate.
template <int N>
long long FixedSearch<N>::forward_commands(std::size_t from, std::size_t to) const {
  long long goes = 0;
  for (std::size_t p = from; p < to; ++p) goes += st->occurs[p] * (command[p] == kGo ? 1 : 0);
  return goes;
}

// Appends the commands of one more call.  The budget of a level is
// msteps - steps, and while a run is alive its steps are the prefix's
// commands plus the stream's, so every run reaching this level sees the
// same values.
template <int N>
void FixedSearch<N>::extend_stream() {
  if (!st->first_call_done) {
    // The first call: X, Y, Z stand for the main-line argument fragments.
    st->first_call_done = true;
    const auto args = [this](int p) { return std::string_view(st->main_args[p]); };
    emit_body(args);
    if (st->stream_end != StreamEnd::Open) return;
    start_levels(args);
    st->swap_pending = false;
    return;
  }
  // Later calls: the previous values become `old` only now, so that `value`
  // keeps the values of the last call built (a test hook).
  if (st->swap_pending) std::swap(st->value, st->old);
  st->swap_pending = true;
  // At least 1: the stream is not full.
  const std::size_t budget = st->room - emitted();
  if (build_values(budget, true) && !st->body_moves) {
    st->stream_end = StreamEnd::FixedPoint;
    return;
  }
  const std::size_t before = emitted();
  emit_body([this](int p) { return std::string_view(st->value[p].data(), st->value[p].size()); });
  if (st->stream_end != StreamEnd::Open) return;
  if (emitted() != before) {
    st->idle = 0;
  } else if (idle_level_ends_run(st->idle, st->letters)) {
    st->stream_end = StreamEnd::Idle;
  }
}

// The command of every place for the current slots, and the forward
// commands of a full stream of places: the same for every main-line prefix
// of a combination.
//
// `all` false: the function's slots are those of the last call, and only
// the main-line arguments' places are filled again.
template <int N>
void FixedSearch<N>::prepare_commands(bool all) {
  if (st->places) {
    std::size_t next = main_places;
    if (all) {
      next = 1;
      for (int i = 0; i <= N; ++i) {
        // (A character that is not a command leaves a 0 where the next
        // place goes.)
        for (const char ch : slot[i].code) {
          const std::uint8_t op = interpreter_detail::code_of(ch);
          command[next] = op;
          next += op != 0 ? 1 : 0;
        }
      }
      main_places = next;
      function_goes = st->stream_full ? forward_commands(1, main_places) : 0;
    }
    // The main line's places, counting the forward commands at them as
    // they are filled.
    long long main_goes = 0;
    for (int p = 0; p < N; ++p) {
      for (const char ch : slot[kMainArg + p].code) {
        const std::uint8_t op = interpreter_detail::code_of(ch);  // commands only
        command[next] = op;
        main_goes += st->occurs[next] * (op == kGo ? 1 : 0);
        ++next;
      }
    }
    // Only streams of places are built full.  The function's places, and
    // so their forward commands, change only with `all`.
    goes_total = st->stream_full ? function_goes + main_goes : -1;
    return;
  }
  goes_total = -1;
}

// One candidate: the main-line prefix, then the stream, built further when
// the run reaches its end.  A run that outgrows the window drops the
// commands already run; a later run that needs them rebuilds the stream.
template <int N>
RunEnd FixedSearch<N>::run_candidate(bool prepared, bool watch_loops) {
  robot.reset();
  // Most candidates have an empty prefix.
  if (!slot[kMain].code.empty() && jikkoujj(robot, slot[kMain].code) == -1) return run_end();
  if (stream_stale || st->stream_base != 0) start_stream();
  if (!prepared) prepare_commands(true);
  robot.goes_left = goes_total;
  if (watch_loops && st->period != 0 && st->stream_base == 0 &&
      st->stream_end == StreamEnd::Limit) {
    return run_periodic();
  }
  std::size_t i = 0;
  for (;;) {
    if (robot.run_mapped(stream_bytes() + i, st->stream_len - i, command.data()) == -1) {
      return run_end();
    }
    i = st->stream_len;
    switch (st->stream_end) {
      case StreamEnd::Open:
        break;
      case StreamEnd::FixedPoint:
        return RunEnd::FixedPoint;
      case StreamEnd::Idle:
        return RunEnd::Idle;
      case StreamEnd::Limit:
        return RunEnd::Failed;  // not reached: its last command is refused
    }
    if (st->stream_len >= kStreamWindow) {
      st->stream_base += st->stream_len;
      st->stream_len = 0;
      i = 0;
    }
    extend_stream();
  }
}

// A run through a stream that repeats itself.  From its first period on,
// at the end of every `chunk` commands (whole periods) the robot's
// state is compared with the one it had at an earlier such end (Brent's
// way: the state kept is that of the 1st, 2nd, 4th, 8th ... end since the
// last one kept).  The same cell and heading again, with the same count of
// targets and the same latest gray cell, means the robot collected nothing
// and entered no gray cell on the way (the count only grows between gray
// cells, and a gray cell sets the latest to its step), so every target
// stands as it stood; and the commands after this end are those after the
// earlier one.  The robot goes round the same loop, collecting nothing,
// until the run fails: it never clears, which is all a run's end decides.
template <int N>
RunEnd FixedSearch<N>::run_periodic() {
  // Short looks find a loop soon; the first look waits for one chunk past
  // the start of the periods, as most runs end before.
  constexpr std::size_t kLeastChunk = 8;  // commands between two looks
  const char* bytes = stream_bytes();
  const std::size_t len = st->stream_len;
  std::size_t chunk = st->period;
  while (chunk < kLeastChunk) chunk += st->period;
  std::size_t at = std::min(len, st->period_start + chunk);
  if (robot.run_mapped(bytes, at, command.data()) == -1) return run_end();
  const auto state = [this] {
    return static_cast<std::uint64_t>((robot.x * 27 + robot.y) * 4 + robot.vect) |
           static_cast<std::uint64_t>(robot.getpts) << 12 |
           static_cast<std::uint64_t>(robot.lastfail) << 32;
  };
  std::uint64_t kept = state();
  std::size_t power = 1;
  std::size_t since = 0;
  while (at < len) {
    const std::size_t n = std::min(chunk, len - at);
    if (robot.run_mapped(bytes + at, n, command.data()) == -1) return run_end();
    at += n;
    const std::uint64_t now = state();
    if (now == kept) return RunEnd::Failed;
    if (++since == power) {
      kept = now;
      power *= 2;
      since = 0;
    }
  }
  return RunEnd::Failed;  // not reached: the stream's last command is refused
}

// One candidate without a stream (see run_body).
template <int N>
RunEnd FixedSearch<N>::run_direct() {
  // The levels below use the state of a stream: `own`'s, which then holds
  // no stream.
  st = &own;
  loaded = -1;
  stream_stale = true;
  robot.reset();
  if (jikkoujj(robot, slot[kMain].code) == -1) return run_end();
  if (jikkou0() == -1) return run_end();
  st->letters = main_arguments_hold_letters();
  start_levels([this](int p) { return std::string_view(slot[kMainArg + p].code); });
  for (;;) {
    // At least 1: every command so far left steps below msteps.
    const auto budget = static_cast<std::size_t>(robot.msteps - robot.steps);
    if (build_values(budget, false) && !st->body_moves) return RunEnd::FixedPoint;
    const int before = robot.steps;
    if (jikkou() == -1) return run_end();
    if (robot.steps != before) {
      st->idle = 0;
    } else if (idle_level_ends_run(st->idle, st->letters)) {
      return RunEnd::Idle;
    }
    std::swap(st->value, st->old);
  }
}

}  // namespace solver
