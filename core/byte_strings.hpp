// An exact set of byte strings, each with a number: the strings are kept
// whole and compared byte for byte, the hash only finds where to look.
// Memory is bounded: once the strings and their entries would pass the
// budget, the set forgets everything and starts again (its epoch moves on,
// so that numbers handed out before can be told stale).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace solver {

class ByteStrings {
 public:
  // At most 4 GiB: the strings are found by 32-bit offsets.
  explicit ByteStrings(std::size_t budget) : budget_(std::min<std::size_t>(budget, kMostBudget)) {}

  // The number of the string p[0 .. n), added when it is new (`added`
  // tells).  Numbers count from 0 in the order strings were added since the
  // last clear.
  std::uint32_t intern(const char* p, std::size_t n, bool& added) {
    const std::uint64_t h = hash(p, n);
    if (!table_.empty()) {
      for (std::size_t i = h & mask_;; i = (i + 1) & mask_) {
        const std::int32_t at = table_[i];
        if (at < 0) break;
        const Entry& e = entries_[static_cast<std::size_t>(at)];
        if (e.hash == h && e.len == n && std::memcmp(bytes_.data() + e.offset, p, n) == 0) {
          added = false;
          return static_cast<std::uint32_t>(at);
        }
      }
    }
    added = true;
    if (held() + n + kPerEntry > budget_) clear();
    if (2 * (entries_.size() + 1) > table_.size()) grow();
    const auto id = static_cast<std::uint32_t>(entries_.size());
    entries_.push_back(
        {h, static_cast<std::uint32_t>(bytes_.size()), static_cast<std::uint32_t>(n)});
    bytes_.insert(bytes_.end(), p, p + n);
    std::size_t i = h & mask_;
    while (table_[i] >= 0) i = (i + 1) & mask_;
    table_[i] = static_cast<std::int32_t>(id);
    return id;
  }

  // True when p[0 .. n) was not in the set (it is now).
  bool add(const char* p, std::size_t n) {
    bool added = false;
    intern(p, n, added);
    return added;
  }

  // The string numbered `id` (valid until the next clear).
  const char* data(std::uint32_t id) const { return bytes_.data() + entries_[id].offset; }
  std::size_t size(std::uint32_t id) const { return entries_[id].len; }

  void clear() {
    bytes_.clear();
    entries_.clear();
    table_.assign(table_.size(), -1);
    ++epoch_;
  }

  std::size_t size() const { return entries_.size(); }
  // Starts at 1 and moves on at every clear.
  std::uint64_t epoch() const { return epoch_; }
  // About the memory the set holds.
  std::size_t held() const {
    return bytes_.size() + entries_.size() * sizeof(Entry) + table_.size() * sizeof(std::int32_t);
  }

 private:
  struct Entry {
    std::uint64_t hash;
    std::uint32_t offset;
    std::uint32_t len;
  };
  static constexpr std::size_t kMostBudget = std::size_t{1} << 32;
  static constexpr std::size_t kPerEntry = sizeof(Entry) + 2 * sizeof(std::int32_t);

  static std::uint64_t hash(const char* p, std::size_t n) {
    std::uint64_t h = 0x9E3779B97F4A7C15ULL ^ n;
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8) {
      std::uint64_t w;
      std::memcpy(&w, p + i, 8);
      h = (h ^ w) * 0xBF58476D1CE4E5B9ULL;
      h ^= h >> 31;
    }
    std::uint64_t last = 0;
    if (n > i) std::memcpy(&last, p + i, n - i);
    h = (h ^ last) * 0x94D049BB133111EBULL;
    return h ^ (h >> 29);
  }

  void grow() {
    const std::size_t size = table_.empty() ? 1024 : 2 * table_.size();
    table_.assign(size, -1);
    mask_ = size - 1;
    for (std::size_t id = 0; id < entries_.size(); ++id) {
      std::size_t i = entries_[id].hash & mask_;
      while (table_[i] >= 0) i = (i + 1) & mask_;
      table_[i] = static_cast<std::int32_t>(id);
    }
  }

  std::size_t budget_;
  std::vector<char> bytes_;
  std::vector<Entry> entries_;
  std::vector<std::int32_t> table_;
  std::size_t mask_ = 0;
  std::uint64_t epoch_ = 1;
};

}  // namespace solver
