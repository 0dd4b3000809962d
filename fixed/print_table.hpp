// The prints of runs that did not clear (see run_prints.hpp), kept for the
// workers of a search together: a run's print stands for its commands, and
// a run with the same commands ends the same way whoever runs it, earlier or
// later in search order.
//
// One word a slot, a print replacing the one at its slot.  Workers read and
// write the words with relaxed atomic loads and stores, no read-modify-write
// (but for a widening, a few times a search).
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace solver {

struct RunPrint {
  std::uint64_t v = 0;
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
        v_(static_cast<std::uint64_t*>(std::calloc(most_ + 1, sizeof(std::uint64_t)))),
        mask_(std::min(most_, (std::size_t{1} << log2_first) - 1)) {
    if (v_ == nullptr) throw std::bad_alloc();
    touch(0, mask_.load(std::memory_order_relaxed));
  }
  PrintTable(const PrintTable&) = delete;
  PrintTable& operator=(const PrintTable&) = delete;
  ~PrintTable() { std::free(v_); }

  // The word a print is kept as (never 0, which marks an empty slot).
  static std::uint64_t key(const RunPrint& p) { return p.v != 0 ? p.v : 1; }

  bool has(const RunPrint& p) const {
    const std::uint64_t k = key(p);
    return word(k & mask_.load(std::memory_order_relaxed)).load(std::memory_order_relaxed) == k;
  }

  // Asks for the print's slot ahead of a has() a little later.
  void prefetch(const RunPrint& p) const {
    __builtin_prefetch(v_ + (key(p) & mask_.load(std::memory_order_relaxed)));
  }

  void add(const RunPrint& p) {
    const std::uint64_t k = key(p);
    word(k & mask_.load(std::memory_order_relaxed)).store(k, std::memory_order_relaxed);
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
        const std::uint64_t k = word(i).load(std::memory_order_relaxed);
        const std::size_t to = k & wider;
        if (k == 0 || to == i) continue;
        word(to).store(k, std::memory_order_relaxed);
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
    for (std::size_t at = from; at <= to; at += kPageWords) {
      word(at).fetch_add(0, std::memory_order_relaxed);
    }
    word(to).fetch_add(0, std::memory_order_relaxed);  // the last page's
  }

  std::size_t most_;
  std::uint64_t* v_;
  std::atomic<std::size_t> mask_;
};

}  // namespace solver
