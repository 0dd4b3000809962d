// An exact set of 128-bit keys (pairs of 64-bit words, not both zero) in one
// flat table, so that looking a key up touches one place in memory.  Memory
// is bounded: once the table would pass its budget, the set forgets
// everything and starts again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace solver {

class SeenPairs {
 public:
  explicit SeenPairs(std::size_t budget) : budget_(budget) {}

  // True when (hi, lo) was not in the set (it is now).
  bool add(std::uint64_t hi, std::uint64_t lo) {
    if (2 * (count_ + 1) > table_.size()) grow();
    for (std::size_t i = home(hi, lo);; i = (i + 1) & mask_) {
      Pair& p = table_[i];
      if (p.hi == hi && p.lo == lo) return false;
      if ((p.hi | p.lo) == 0) {
        p = {hi, lo};
        ++count_;
        return true;
      }
    }
  }

  void clear() {
    table_.assign(table_.size(), Pair{});
    count_ = 0;
  }

  std::size_t size() const { return count_; }
  std::size_t held() const { return table_.size() * sizeof(Pair); }

 private:
  struct Pair {
    std::uint64_t hi = 0;
    std::uint64_t lo = 0;
  };

  std::size_t home(std::uint64_t hi, std::uint64_t lo) const {
    std::uint64_t h = (hi ^ (lo * 0x9E3779B97F4A7C15ULL)) * 0xBF58476D1CE4E5B9ULL;
    h ^= h >> 31;
    return static_cast<std::size_t>(h) & mask_;
  }

  // Twice the size, or, when that would pass the budget, empty again.
  void grow() {
    const std::size_t size = table_.empty() ? 4096 : 2 * table_.size();
    if (!table_.empty() && size * sizeof(Pair) > budget_) {
      clear();
      return;
    }
    std::vector<Pair> old(size);
    old.swap(table_);
    mask_ = size - 1;
    count_ = 0;
    for (const Pair& p : old) {
      if ((p.hi | p.lo) != 0) add(p.hi, p.lo);
    }
  }

  std::size_t budget_;
  std::vector<Pair> table_;
  std::size_t mask_ = 0;
  std::size_t count_ = 0;
};

}  // namespace solver
