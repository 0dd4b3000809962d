// Where a key sits in an array of keys the caller holds, found by hashing:
// open addressing with linear probing over a fixed table of twice the most
// keys, so that finding, adding and dropping a key allocate nothing.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace solver {

template <typename Key, typename Hash, std::size_t kMost>
class KeyIndex {
 public:
  KeyIndex() { clear(); }

  // The position of `key` in `keys`, or -1.  Each entry keeps the low bits
  // of its key's hash beside the position, so that keys of other hashes are
  // passed over without being read (the keys lie elsewhere in memory).
  int find(const Key& key, const std::vector<Key>& keys) const {
    const std::uint32_t h = hash(key);
    for (std::size_t i = h & kMask;; i = (i + 1) & kMask) {
      const Entry e = table_[i];
      if (e.at < 0) return -1;
      if (e.hash == h && keys[static_cast<std::size_t>(e.at)] == key) return e.at;
    }
  }

  // Records that `key` sits at `at`; at most kMost keys at a time.
  void add(const Key& key, int at) {
    const std::uint32_t h = hash(key);
    std::size_t i = h & kMask;
    while (table_[i].at >= 0) i = (i + 1) & kMask;
    table_[i] = {at, h};
  }

  // Forgets position `at`, where `key` sat, if it is recorded.  Later
  // entries of its run move back, so that no search stops short of them.
  void drop(const Key& key, int at) {
    std::size_t i = hash(key) & kMask;
    while (table_[i].at != at) {
      if (table_[i].at < 0) return;
      i = (i + 1) & kMask;
    }
    for (std::size_t j = (i + 1) & kMask; table_[j].at >= 0; j = (j + 1) & kMask) {
      // An entry may fill the hole unless its home lies cyclically in
      // (i, j].
      const std::size_t h = table_[j].hash & kMask;
      const bool stays = i < j ? (h > i && h <= j) : (h > i || h <= j);
      if (stays) continue;
      table_[i] = table_[j];
      i = j;
    }
    table_[i] = Entry{};
  }

  void clear() { table_.fill(Entry{}); }

 private:
  static constexpr std::size_t kSize = [] {
    std::size_t n = 16;
    while (n < 2 * kMost) n *= 2;
    return n;
  }();
  static constexpr std::size_t kMask = kSize - 1;
  static_assert(kMask <= 0xFFFFFFFFU, "a home fits the hash kept");
  static std::uint32_t hash(const Key& key) { return static_cast<std::uint32_t>(Hash{}(key)); }
  struct Entry {
    std::int32_t at = -1;
    std::uint32_t hash = 0;
  };
  std::array<Entry, kSize> table_;
};

// Numbers that stand for keys: the same number for a key while the table
// keeps it, never the same number for two keys (a key the table has let go
// of takes a new number when it comes back).  0 stands for none.
template <typename Key, typename Hash, std::size_t kLog2 = 10>
class KeyIds {
 public:
  std::uint64_t id(const Key& key) {
    Entry& e = table_[Hash{}(key) & (kSize - 1)];
    if (e.id == 0 || !(e.key == key)) e = {key, ++last_};
    return e.id;
  }

 private:
  struct Entry {
    Key key{};
    std::uint64_t id = 0;
  };
  static constexpr std::size_t kSize = std::size_t{1} << kLog2;
  std::array<Entry, kSize> table_{};
  std::uint64_t last_ = 0;
};

}  // namespace solver
