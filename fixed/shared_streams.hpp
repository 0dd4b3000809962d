// Streams shared by the workers of a parallel pass.
//
// Workers of a pass meet the same patterns of parameter letters in
// different units, and each would build the same streams.  A worker that
// builds a stream of places to its end publishes a copy: the copy lives in
// the worker's own arena and is announced in a table of atomic pointers
// (open addressing, insert only).  Another worker that misses in its own
// cache looks there before building.  Entries are never changed once
// announced; the table and the arenas are emptied between passes, while no
// worker runs (a new pass has new lengths, and so new streams).  One atomic
// load per probe and one compare-and-swap per published stream: nothing per
// candidate.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace solver {

// Bump allocation from blocks kept from pass to pass, up to a budget.
class StreamArena {
 public:
  explicit StreamArena(std::size_t budget) : budget_(budget) {}

  // `n` bytes aligned for any header, or null once the budget is spent.
  void* allocate(std::size_t n) {
    n = (n + 15) & ~std::size_t{15};
    if (block_ < blocks_.size() && used_ + n <= sizes_[block_]) {
      void* p = blocks_[block_].get() + used_;
      used_ += n;
      return p;
    }
    // The next kept block that fits, or a new one.
    while (++block_ < blocks_.size()) {
      if (n <= sizes_[block_]) {
        used_ = n;
        return blocks_[block_].get();
      }
    }
    const std::size_t size = std::max(n, kBlock);
    if (held_ + size > budget_) {
      block_ = blocks_.size();
      return nullptr;
    }
    // Not zeroed: a page is touched only once something is copied to it.
    blocks_.push_back(std::make_unique_for_overwrite<std::byte[]>(size));
    sizes_.push_back(size);
    held_ += size;
    block_ = blocks_.size() - 1;
    used_ = n;
    return blocks_.back().get();
  }

  // Everything handed out is free again.
  void reset() {
    block_ = 0;
    used_ = 0;
  }

 private:
  static constexpr std::size_t kBlock = std::size_t{1} << 20;
  std::size_t budget_;
  std::vector<std::unique_ptr<std::byte[]>> blocks_;
  std::vector<std::size_t> sizes_;
  std::size_t held_ = 0;
  std::size_t block_ = 0;
  std::size_t used_ = 0;
};

// The table: Entry must have a `key` member comparable with ==.
template <typename Entry, typename Key, typename Hash>
class SharedTable {
 public:
  explicit SharedTable(std::size_t log2_size)
      : slots_(std::size_t{1} << log2_size), mask_(slots_.size() - 1) {}

  const Entry* find(const Key& key) const {
    std::size_t at = Hash{}(key)&mask_;
    for (int probe = 0; probe < kProbes; ++probe, at = (at + 1) & mask_) {
      const Entry* e = slots_[at].load(std::memory_order_acquire);
      if (e == nullptr) return nullptr;
      if (e->key == key) return e;
    }
    return nullptr;
  }

  // Announces a filled entry; false when the key is there already or the
  // table is too full (the entry is then simply not shared).
  bool publish(const Entry* entry) {
    if (filled_.load(std::memory_order_relaxed) >= slots_.size() / 2) return false;
    std::size_t at = Hash{}(entry->key) & mask_;
    for (int probe = 0; probe < kProbes; ++probe, at = (at + 1) & mask_) {
      const Entry* expected = nullptr;
      if (slots_[at].compare_exchange_strong(expected, entry, std::memory_order_release,
                                             std::memory_order_acquire)) {
        filled_.fetch_add(1, std::memory_order_relaxed);
        return true;
      }
      if (expected->key == entry->key) return false;
    }
    return false;
  }

  // Only while no worker runs.
  void clear() {
    for (std::atomic<const Entry*>& s : slots_) s.store(nullptr, std::memory_order_relaxed);
    filled_.store(0, std::memory_order_relaxed);
  }

 private:
  static constexpr int kProbes = 16;
  std::vector<std::atomic<const Entry*>> slots_;
  std::size_t mask_;
  // Counted on a cache line of its own: every publish writes it, and the
  // line above is read by every probe of every worker.
  alignas(64) std::atomic<std::size_t> filled_{0};
};

}  // namespace solver
