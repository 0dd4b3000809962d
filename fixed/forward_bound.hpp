// The most forward commands ("s") that any run can execute once the
// function's slots are chosen, whatever the main line holds, reckoned from
// the lengths of the argument values level by level instead of from the
// commands themselves.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "slots.hpp"

namespace solver {

// What the bound reads of a candidate: for the body and for each argument
// slot of the recursive call, its forward commands, its commands and its
// count of each parameter letter; for each argument of the first call, the
// most commands and forward commands it may hold.
template <int N>
struct CallCounts {
  struct Slot {
    int go = 0;
    int commands = 0;
    std::array<int, N> letters{};
  };
  std::array<Slot, N + 1> fn;  // [1] and the recursive call's arguments
  std::array<int, N> main_len{};
  std::array<int, N> main_go{};
};

// The calls' part of the bound: forward commands of the calls that fit in
// `left` commands.  Returns -1 when the levels go on too long to follow.
//
// Why it bounds: with arguments of commands only, the cut of an argument
// never changes which commands a run executes before its step limit, so a
// run executes a prefix of the uncut sequence of calls.  An uncut argument's
// length and forward count follow from those of the previous level (the
// commands of its slot plus, for each parameter letter, the whole previous
// value), and a call executes the commands of the body plus each letter's
// value.  A run stops at its step limit or earlier (a gray cell, the fixed
// point, a clear): it executes whole calls while they fit in the commands
// left, then at most the commands left of the next one.
template <int N>
long long forward_calls(const CallCounts<N>& c, long long left) {
  // A value's length and forward commands share a word (length above), and
  // both saturate at kCap, beyond every `left` taken: a call that long
  // outlasts the commands left.  Counts below kMostCount keep each half
  // within 32 bits.
  constexpr std::uint64_t kCap = std::uint64_t{1} << 24;
  constexpr int kMostCount = 64;
  constexpr int kMostLevels = 512;
  constexpr int kQuiet = 12;
  if (left >= static_cast<long long>(kCap)) return -1;
  for (const auto& f : c.fn) {
    if (f.go >= kMostCount || f.commands >= kMostCount) return -1;
    for (const int x : f.letters) {
      if (x >= kMostCount) return -1;
    }
  }
  const auto word = [](std::uint64_t len, std::uint64_t go) { return len << 32 | go; };
  const auto saturate = [&](std::uint64_t v) {
    return (v >> 32) <= kCap ? v : word(kCap, std::min(v & 0xFFFFFFFFU, kCap));
  };
  std::array<std::uint64_t, N> value{};
  for (int p = 0; p < N; ++p) {
    if (c.main_len[p] >= static_cast<int>(kCap)) return -1;
    value[p] =
        word(static_cast<std::uint64_t>(c.main_len[p]), static_cast<std::uint64_t>(c.main_go[p]));
  }
  const auto& body = c.fn[0];
  const std::uint64_t body_own =
      word(static_cast<std::uint64_t>(body.commands), static_cast<std::uint64_t>(body.go));
  const bool body_silent = body.commands == 0;
  std::array<std::uint64_t, N> body_times;
  for (int q = 0; q < N; ++q) body_times[q] = static_cast<std::uint64_t>(body.letters[q]);
  // Only the values that reach the body, directly or through other
  // arguments, decide the calls; the others are held at 0, so that the
  // values that matter show when they come back.  (All of them empty, with a
  // body without commands, still means that nothing runs again.)
  unsigned reach = 0;
  for (int q = 0; q < N; ++q) reach |= body.letters[q] > 0 ? 1U << q : 0U;
  for (int round = 1; round < N; ++round) {
    for (int p = 0; p < N; ++p) {
      if ((reach >> p & 1U) == 0) continue;
      for (int q = 0; q < N; ++q)
        reach |= c.fn[static_cast<std::size_t>(1 + p)].letters[q] > 0 ? 1U << q : 0U;
    }
  }
  // A value is its slot's own commands plus times[p][q] times each previous
  // value q: all 0 for a value held at 0.
  std::array<std::uint64_t, N> arg_own{};
  std::array<std::array<std::uint64_t, N>, N> times{};
  for (int p = 0; p < N; ++p) {
    if ((reach >> p & 1U) == 0) {
      value[p] = 0;
      continue;
    }
    const auto& a = c.fn[static_cast<std::size_t>(1 + p)];
    arg_own[p] = word(static_cast<std::uint64_t>(a.commands), static_cast<std::uint64_t>(a.go));
    for (int q = 0; q < N; ++q) times[p][q] = static_cast<std::uint64_t>(a.letters[q]);
  }

  // The last N levels, the latest first: their values and calls.  Values
  // seen again make the calls since then repeat for ever.  (Values that stop
  // growing come back within N levels: each one then takes the value of one
  // other.  Others run to the cap on levels, and the bound gives up.)
  std::array<std::array<std::uint64_t, N>, N> seen_value{};
  std::array<std::uint64_t, N> seen_call{};
  long long goes = 0;
  const auto finish = [&](std::uint64_t call) {
    const auto commands = static_cast<long long>(call >> 32);
    const auto call_go = static_cast<long long>(call & 0xFFFFFFFFU);
    if (commands >= left) {
      goes += std::min(call_go, left);
      return true;
    }
    goes += call_go;
    left -= commands;
    return false;
  };
  for (int level = 0; level < kMostLevels; ++level) {
    if (level > 0) {
      std::array<std::uint64_t, N> next;
      std::uint64_t any = 0;
      for (int p = 0; p < N; ++p) {
        std::uint64_t v = arg_own[p];
        for (int q = 0; q < N; ++q) v += times[p][q] * value[q];
        next[p] = saturate(v);
        any |= next[p];
      }
      // The fixed point: nothing left to execute.
      if ((any >> 32) == 0 && body_silent) return goes;
      value = next;
      // Values seen d levels ago: the calls of the last d levels again and
      // again, whole rounds of them while they fit, then call by call.
      // Rounds longer than one level are looked for only once the run has
      // lasted.
      for (int d = 1; d <= (level >= kQuiet ? N : 1); ++d) {
        std::uint64_t differ = 0;
        for (int p = 0; p < N; ++p)
          differ |= seen_value[static_cast<std::size_t>(d - 1)][p] ^ value[p];
        if (differ != 0) continue;
        std::uint64_t round = 0;
        for (int i = 0; i < d; ++i) round += seen_call[static_cast<std::size_t>(i)];
        const auto round_commands = static_cast<long long>(round >> 32);
        if (round_commands == 0) return goes;
        const long long whole = (left - 1) / round_commands;
        goes += whole * static_cast<long long>(round & 0xFFFFFFFFU);
        left -= whole * round_commands;
        for (int i = d - 1; i >= 0; --i) {
          if (finish(seen_call[static_cast<std::size_t>(i)])) return goes;
        }
        return -1;  // not reached: a round holds at least the commands left
      }
    }
    std::uint64_t call = body_own;
    for (int q = 0; q < N; ++q) call += body_times[q] * value[q];
    call = saturate(call);
    if (finish(call)) return goes;
    for (int i = level >= kQuiet - N ? N - 1 : 0; i > 0; --i) {
      seen_value[static_cast<std::size_t>(i)] = seen_value[static_cast<std::size_t>(i - 1)];
      seen_call[static_cast<std::size_t>(i)] = seen_call[static_cast<std::size_t>(i - 1)];
    }
    seen_value[0] = value;
    seen_call[0] = call;
  }
  return -1;
}

// The bound for the candidates below the current function's slots: `slot`
// in template order ([1], the recursive call's arguments, the main-line
// prefix, the first call's arguments), their counters up to date; a run
// executes at most `msteps` - 1 commands.  Each character of an enumerated
// main-line fragment counts as a forward command.  Returns -1 when it cannot
// tell: a fixed main-line argument that holds parameter letters (the cut
// may then change the course of a run), or levels too many to follow.
template <int N>
class ForwardBounds {
 public:
  using Slots = std::array<code_parts, 2 * N + 2>;

  long long of(const Slots& slot, int msteps) {
    outer_ok_ = false;
    return of(slot, msteps, outer_);
  }

  // The same, where `outer` names the slots other than the function's last
  // one, [N + 1], and msteps: while it stays the same, so do they (the
  // odometer changes only [N + 1] between its nodes), and what the bound
  // reads of them is kept.
  long long of(const Slots& slot, int msteps, std::uint64_t outer) {
    if (!outer_ok_ || outer != outer_) read_outer(slot, msteps, outer);
    if (outer_found_ != kRead) return outer_found_;
    const code_parts& last = slot[N];
    long long found;
    if ((outer_longest_ | last.length) < 0 || (outer_longest_ | last.length) >= 64 ||
        outer_left_ >= 65536) {
      found = calls(slot);
    } else {
      // Below the same outer slots only [N + 1]'s counts tell nodes apart:
      // most nodes find their bound by those alone.
      const std::uint64_t packed = pack(last);
      Recent& r = recent_[(packed * 0x9E3779B97F4A7C15ULL) >> (64 - kRecentLog2)];
      if (r.read == reads_ && r.packed == packed) {
        found = r.found;
        return found < 0 ? -1 : outer_prefix_go_ + found;
      }
      Key key = outer_key_;
      key[N / 2] |= packed << (N % 2 * 32);
      std::uint64_t h = 0;
      for (const std::uint64_t x : key) h = (h ^ x) * 0x9E3779B97F4A7C15ULL;
      if (table_ == nullptr) {
        // Zeroed by writing: a page first read would be mapped to the
        // system's zero page, and copied at its first write.  Aligned to
        // cache lines, so that no entry spans two.
        table_.reset(static_cast<Entry*>(std::aligned_alloc(64, kEntries * sizeof(Entry))));
        if (table_ == nullptr) throw std::bad_alloc();
        std::memset(static_cast<void*>(table_.get()), 0, kEntries * sizeof(Entry));
      }
      Entry& e = table_[(h >> 40) & (kEntries - 1)];
      std::uint64_t differ = 0;
      for (std::size_t i = 0; i < kWords; ++i) differ |= e.key[i] ^ key[i];
      if (differ != 0) {
        e.key = key;
        e.calls = calls(slot);
      }
      found = e.calls;
      r = {reads_, packed, found};
    }
    return found < 0 ? -1 : outer_prefix_go_ + found;
  }

  // A slot's counts, as the bound reads them: six bits each (the letters
  // of the program only: the others count nothing).
  static std::uint64_t pack(const code_parts& p) {
    std::uint64_t w = static_cast<std::uint64_t>(p.scount) |
                      static_cast<std::uint64_t>(p.turncount) << 6 |
                      static_cast<std::uint64_t>(p.xcount) << 12;
    if constexpr (N >= 2) w |= static_cast<std::uint64_t>(p.ycount) << 18;
    if constexpr (N >= 3) w |= static_cast<std::uint64_t>(p.zcount) << 24;
    return w;
  }

 private:
  // What the bound reads of the slots other than [N + 1]: the commands
  // left after the main-line prefix and its forward commands, the first
  // call's arguments, and the key's words without [N + 1].  outer_found_
  // is kRead, or the bound itself where those slots decide it alone.
  static constexpr long long kRead = -2;
  void read_outer(const Slots& slot, int msteps, std::uint64_t outer) {
    outer_ok_ = true;
    outer_ = outer;
    ++reads_;
    outer_found_ = kRead;
    const code_parts& jj = slot[N + 1];
    const bool fixed_prefix = jj.fixed == 1;
    const long long prefix_go = fixed_prefix ? jj.scount : jj.length;
    const long long prefix_commands = fixed_prefix ? jj.scount + jj.turncount : jj.length;
    const long long left = static_cast<long long>(msteps) - 1 - prefix_commands;
    outer_prefix_go_ = prefix_go;
    outer_left_ = left;
    // A prefix that uses up the step limit: at most its own forward commands,
    // at most the commands it runs.
    if (left <= 0) {
      outer_found_ = std::min(prefix_go, std::max(0LL, static_cast<long long>(msteps) - 1));
      return;
    }
    // The key: six bits per count (five counts to a slot, two slots to a
    // word), then the first call's arguments and the commands left.  Every
    // count is at most its slot's length.
    outer_longest_ = 0;
    for (int i = 0; i < 2 * N + 2; ++i) {
      if (i != N + 1 && i != N) outer_longest_ |= slot[static_cast<std::size_t>(i)].length;
    }
    for (int q = 0; q < N; ++q) {
      const code_parts& a = slot[static_cast<std::size_t>(N + 2 + q)];
      if (a.fixed == 1) {
        if (a.xcount + a.ycount + a.zcount != 0) {
          outer_found_ = -1;
          return;
        }
        main_len_[q] = a.scount + a.turncount;
        main_go_[q] = a.scount;
      } else {
        main_len_[q] = main_go_[q] = a.length;
      }
    }
    outer_key_ = Key{};
    for (int i = 0; i < N; ++i) {
      outer_key_[static_cast<std::size_t>(i / 2)] |= pack(slot[static_cast<std::size_t>(i)])
                                                     << (i % 2 * 32);
    }
    if (left < (1LL << 16)) {
      std::uint64_t w = static_cast<std::uint64_t>(left) << 48;
      for (int q = 0; q < N; ++q) {
        w |= static_cast<std::uint64_t>(main_len_[q] & 63) << (12 * q) |
             static_cast<std::uint64_t>(main_go_[q] & 63) << (12 * q + 6);
      }
      outer_key_[kWords - 1] = w;
    }
  }

  // The calls' part of the bound, from every slot's counts.
  long long calls(const Slots& slot) const {
    CallCounts<N> c;
    for (int i = 0; i <= N; ++i) {
      const code_parts& p = slot[static_cast<std::size_t>(i)];
      const int letters[3] = {p.xcount, p.ycount, p.zcount};
      auto& f = c.fn[static_cast<std::size_t>(i)];
      f.go = p.scount;
      f.commands = p.scount + p.turncount;
      for (int q = 0; q < N; ++q) f.letters[q] = letters[q];
    }
    c.main_len = main_len_;
    c.main_go = main_go_;
    return forward_calls<N>(c, outer_left_);
  }

  static constexpr std::size_t kWords = (N + 2) / 2 + 1;
  using Key = std::array<std::uint64_t, kWords>;
  // (Small enough to stay in the processor's second-level cache beside the
  // print tables' traffic: four times as many entries spared few bounds.)
  static constexpr std::size_t kEntries = 1024;
  struct Entry {
    Key key{};  // all zero stands for no entry: the last word holds the
                // commands left, at least 1
    long long calls = 0;
  };
  struct Free {
    void operator()(Entry* e) const { std::free(e); }
  };
  std::unique_ptr<Entry[], Free> table_;
  // The last bounds found, by the reading of the outer slots they were
  // found with (reads_ counts them) and [N + 1]'s counts.
  static constexpr int kRecentLog2 = 6;
  std::uint64_t reads_ = 0;
  struct Recent {
    std::uint64_t read = ~std::uint64_t{0};
    std::uint64_t packed = 0;
    long long found = 0;
  };
  std::array<Recent, std::size_t{1} << kRecentLog2> recent_{};
  bool outer_ok_ = false;
  std::uint64_t outer_ = 0;
  long long outer_found_ = kRead;
  long long outer_prefix_go_ = 0;
  long long outer_left_ = 0;
  int outer_longest_ = 0;
  std::array<int, N> main_len_{};
  std::array<int, N> main_go_{};
  Key outer_key_{};
};

}  // namespace solver
