// Recently seen 128-bit keys (pairs of 64-bit words, not both zero), each
// with a value, in a fixed table of buckets of one cache line: looking a
// key up reads one line.  A bucket keeps the keys last added to it, the
// newest first; adding to a full bucket forgets its oldest key.  A key found
// is always one that was added: forgetting only loses finds.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace solver {

template <typename Value>
class SeenPairs {
 public:
  // A table of about `bytes` (at least one bucket), allocated on first use.
  explicit SeenPairs(std::size_t bytes) : bytes_(bytes) {}

  // The value kept with (hi, lo), or null after adding it with `value`.
  const Value* add(std::uint64_t hi, std::uint64_t lo, const Value& value) {
    if (buckets_.empty()) allocate();
    Bucket& b = buckets_[home(hi, lo)];
    for (const Slot& s : b.slot) {
      if (s.hi == hi && s.lo == lo) return &s.value;
    }
    for (std::size_t w = kWays - 1; w > 0; --w) b.slot[w] = b.slot[w - 1];
    b.slot[0] = {hi, lo, value};
    return nullptr;
  }

  // True when (hi, lo) was not found (it is now added).
  bool add(std::uint64_t hi, std::uint64_t lo) { return add(hi, lo, Value{}) == nullptr; }

  void clear() { buckets_.assign(buckets_.size(), Bucket{}); }

  std::size_t held() const { return buckets_.size() * sizeof(Bucket); }

 private:
  struct Slot {
    std::uint64_t hi = 0;
    std::uint64_t lo = 0;
    [[no_unique_address]] Value value{};
  };
  static constexpr std::size_t kWays = 64 / sizeof(Slot) > 0 ? 64 / sizeof(Slot) : 1;
  struct alignas(64) Bucket {
    std::array<Slot, kWays> slot{};
  };

  void allocate() {
    std::size_t n = 1;
    while (2 * n * sizeof(Bucket) <= bytes_) n *= 2;
    buckets_.assign(n, Bucket{});
    mask_ = n - 1;
  }

  std::size_t home(std::uint64_t hi, std::uint64_t lo) const {
    std::uint64_t h = (hi ^ (lo * 0x9E3779B97F4A7C15ULL)) * 0xBF58476D1CE4E5B9ULL;
    h ^= h >> 31;
    return static_cast<std::size_t>(h) & mask_;
  }

  std::size_t bytes_;
  std::vector<Bucket> buckets_;
  std::size_t mask_ = 0;
};

}  // namespace solver
