// Where the streams of places weighed last lie, by a hash of their bytes.
// Slots of very different letters often make the very same stream (the
// same places in the same order): its counts and weights are then those of
// the stream already weighed, copied from its entry in the stream cache
// instead of summed again.  The table holds only where to look: an entry of
// the cache is known by its slot and by the serial number it took when it
// was last filled, so that a slot filled since is not mistaken for it.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace solver {

class WeighedStreams {
 public:
  struct Entry {
    std::uint64_t hash = 0;
    std::uint64_t serial = 0;
    int at = -1;  // the slot in the stream cache; -1: none
  };

  // The hash of a stream's bytes, in whole words (the last one padded with
  // zeros), and of what else its weights depend on.  The words are only
  // rotated and combined, with one mix at the end: a hash taken for
  // another's costs one comparison of bytes (weights_from_twin), nothing
  // else.
  static std::uint64_t hash(const unsigned char* bytes, std::size_t len, std::size_t room,
                            std::size_t places) {
    std::uint64_t h = (len * 0x9E3779B97F4A7C15ULL) ^ (room << 24) ^ places;
    std::size_t i = 0;
    for (; i + 8 <= len; i += 8) {
      std::uint64_t w = 0;
      std::memcpy(&w, bytes + i, 8);
      h = std::rotl(h, 23) ^ w;
    }
    if (i < len) {
      // (Byte by byte: a copy of a few bytes costs more as a call.)
      std::uint64_t w = 0;
      for (std::size_t k = 0; i + k < len; ++k) w |= std::uint64_t{bytes[i + k]} << (8 * k);
      h = std::rotl(h, 23) ^ w;
    }
    return mix(mix(h));
  }

  // The stream last weighed with this hash, if any.
  const Entry* find(std::uint64_t h) const {
    const Entry& e = entries_[h & (kEntries - 1)];
    return e.hash == h && e.at >= 0 ? &e : nullptr;
  }

  void keep(std::uint64_t h, std::uint64_t serial, int at) {
    entries_[h & (kEntries - 1)] = Entry{h, serial, at};
  }

  void clear() { entries_.fill(Entry{}); }

 private:
  static std::uint64_t mix(std::uint64_t h) {
    h *= 0xBF58476D1CE4E5B9ULL;
    return h ^ (h >> 31);
  }
  static constexpr std::size_t kEntries = 1024;
  std::array<Entry, kEntries> entries_{};
};

}  // namespace solver
