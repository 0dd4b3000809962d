// The counts and weights of recently weighed streams of places, by their
// bytes.  Slots of very different letters often make the very same stream
// (the same places in the same order): its counts and weights are then
// those already summed, and are copied instead of summed again.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

namespace solver {

// Pair: the weights' type; Count: the counts'.  A stream is known by its
// runnable bytes, by the first position of its weights' numbers (the
// main-line prefix's length) and by its number of places; a hit compares the
// bytes themselves, so that a clash of hashes costs only a miss.
template <typename Pair, typename Count>
class WeighedStreams {
 public:
  // Streams with more places are not kept.
  static constexpr std::size_t kMostPlaces = 24;

  // The hash of a stream's bytes: whole words, the last one padded with
  // zeros.
  static std::uint64_t hash(const unsigned char* bytes, std::size_t len, std::size_t offset,
                            std::size_t places) {
    std::uint64_t h = (len * 0x9E3779B97F4A7C15ULL) ^ (offset << 32) ^ places;
    std::size_t i = 0;
    for (; i + 8 <= len; i += 8) {
      std::uint64_t w = 0;
      std::memcpy(&w, bytes + i, 8);
      h = (h ^ w) * 0xBF58476D1CE4E5B9ULL;
      h ^= h >> 31;
    }
    if (i < len) {
      std::uint64_t w = 0;
      std::memcpy(&w, bytes + i, len - i);
      h = (h ^ w) * 0xBF58476D1CE4E5B9ULL;
      h ^= h >> 31;
    }
    return h;
  }

  // Copies the counts and weights of places 0 .. places - 1 of the stream
  // with this hash and these bytes, if kept; false otherwise.
  bool find(std::uint64_t h, const unsigned char* bytes, std::size_t len, std::size_t offset,
            std::size_t places, Count* count, Pair* weight) const {
    if (places > kMostPlaces || !entries_) return false;
    const Entry& e = entries_[h & (kEntries - 1)];
    if (e.hash != h || e.len != len || e.offset != offset || e.places != places ||
        std::memcmp(e.bytes.data(), bytes, len) != 0) {
      return false;
    }
    std::copy(e.count, e.count + places, count);
    std::copy(e.weight, e.weight + places, weight);
    return true;
  }

  // Keeps them, in place of the stream kept under the same slot.
  void keep(std::uint64_t h, const unsigned char* bytes, std::size_t len, std::size_t offset,
            std::size_t places, const Count* count, const Pair* weight) {
    if (places > kMostPlaces) return;
    if (!entries_) entries_ = std::make_unique<Entry[]>(kEntries);
    Entry& e = entries_[h & (kEntries - 1)];
    e.hash = h;
    e.len = len;
    e.offset = offset;
    e.places = places;
    e.bytes.assign(bytes, bytes + len);
    std::copy(count, count + places, e.count);
    std::copy(weight, weight + places, e.weight);
  }

 private:
  static constexpr std::size_t kEntries = 512;
  struct Entry {
    std::uint64_t hash = 0;
    std::size_t len = 0;
    std::size_t offset = 0;
    std::size_t places = 0;
    std::vector<unsigned char> bytes;
    Count count[kMostPlaces] = {};
    Pair weight[kMostPlaces] = {};
  };
  std::unique_ptr<Entry[]> entries_;
};

}  // namespace solver
