// The prints of runs that did not clear (see run_prints.hpp), kept for the
// workers of a search together: a run's print stands for its commands, and
// a run with the same commands ends the same way whoever runs it, earlier or
// later in search order.
//
// One entry a slot, a print replacing the one at its slot.  Workers read and
// write the entries with relaxed atomic loads and stores, no read-modify-
// write (but for a widening, a few times a search): two workers writing one
// slot at once may leave the halves of two prints there, which matches
// neither (nor, but by a chance of 2^-63, anything else).
#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace solver {

struct RunPrint {
  std::array<std::uint64_t, 2> v{};
  bool operator==(const RunPrint& o) const { return v == o.v; }
};

// The table starts with few slots and is widened as it fills: only the
// part in use is touched (its memory comes zeroed from the system, page by
// page as first written), so that a short search does not pay for the
// pages of a long one.  Widening moves the prints kept to their slots at
// the new width; one that two of them now share, or that another user stores
// meanwhile, may be lost (a repeat of it then runs again).
class PrintTable {
 public:
  explicit PrintTable(std::size_t log2_slots, std::size_t log2_first = 12)
      : most_((std::size_t{1} << log2_slots) - 1),
        v_(static_cast<std::uint64_t*>(std::calloc(2 * (most_ + 1), sizeof(std::uint64_t)))),
        mask_(std::min(most_, (std::size_t{1} << log2_first) - 1)) {
    if (v_ == nullptr) throw std::bad_alloc();
    touch(0, mask_.load(std::memory_order_relaxed));
  }
  PrintTable(const PrintTable&) = delete;
  PrintTable& operator=(const PrintTable&) = delete;
  ~PrintTable() { std::free(v_); }

  bool has(const RunPrint& p) const {
    const std::size_t at = 2 * (p.v[0] & mask_.load(std::memory_order_relaxed));
    return word(at).load(std::memory_order_relaxed) == p.v[0] &&
           word(at + 1).load(std::memory_order_relaxed) == p.v[1];
  }

  // Asks for the print's slot ahead of a has() a little later.
  void prefetch(const RunPrint& p) const {
    __builtin_prefetch(v_ + 2 * (p.v[0] & mask_.load(std::memory_order_relaxed)));
  }

  void add(const RunPrint& p) {
    const std::size_t at = 2 * (p.v[0] & mask_.load(std::memory_order_relaxed));
    word(at).store(p.v[0], std::memory_order_relaxed);
    word(at + 1).store(p.v[1], std::memory_order_relaxed);
  }

  // `added`: the prints added by all the table's users so far, as one of
  // them reckons them (its own times their number).  Four times as many
  // slots once they are more than half the slots; a user calls this every
  // so many adds of its own, never per add.
  void widen(std::uint64_t added) {
    std::size_t m = mask_.load(std::memory_order_relaxed);
    while (m < most_ && added > (m + 1) / 2) {
      const std::size_t wider = std::min(most_, 4 * m + 3);
      touch(m + 1, wider);
      if (!mask_.compare_exchange_weak(m, wider, std::memory_order_relaxed)) continue;
      // The prints kept so far, to their slots at the new width (the one
      // that widened does it; what other users store meanwhile may be lost).
      for (std::size_t i = 0; i <= m; ++i) {
        const std::uint64_t a = word(2 * i).load(std::memory_order_relaxed);
        const std::uint64_t b = word(2 * i + 1).load(std::memory_order_relaxed);
        const std::size_t to = a & wider;
        if ((a | b) == 0 || to == i) continue;
        word(2 * to).store(a, std::memory_order_relaxed);
        word(2 * to + 1).store(b, std::memory_order_relaxed);
      }
      m = wider;
    }
  }

  std::size_t slots() const { return mask_.load(std::memory_order_relaxed) + 1; }

 private:
  std::atomic_ref<std::uint64_t> word(std::size_t at) const { return std::atomic_ref(v_[at]); }

  // Writes to a page of slots from..to before any user reads it: a page
  // first read is mapped to the system's zero page and its first write then
  // copies it, which with several threads also interrupts every processor
  // the search runs on.  (Adding 0 leaves what other users store meanwhile.)
  void touch(std::size_t from, std::size_t to) const {
    constexpr std::size_t kPageWords = 4096 / sizeof(std::uint64_t);
    for (std::size_t at = 2 * from; at <= 2 * to + 1; at += kPageWords) {
      word(at).fetch_add(0, std::memory_order_relaxed);
    }
    word(2 * to + 1).fetch_add(0, std::memory_order_relaxed);  // the last page's
  }

  std::size_t most_;
  std::uint64_t* v_;
  std::atomic<std::size_t> mask_;
};

}  // namespace solver
