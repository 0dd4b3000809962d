// The prints of runs that did not clear (see run_prints.hpp), kept for the
// workers of a search together: a run's print stands for its commands, and
// a run with the same commands ends the same way whoever runs it, earlier or
// later in search order.
//
// One entry a slot, a print replacing the one at its slot.  Workers read and
// write the entries with relaxed atomic loads and stores, no read-modify-
// write: two workers writing one slot at once may leave the halves of two
// prints there, which matches neither (nor, but by a chance of 2^-63,
// anything else).
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace solver {

struct RunPrint {
  std::array<std::uint64_t, 2> v{};
  bool operator==(const RunPrint& o) const { return v == o.v; }
};

class PrintTable {
 public:
  explicit PrintTable(std::size_t log2_slots)
      : mask_((std::size_t{1} << log2_slots) - 1),
        v_(std::make_unique<std::atomic<std::uint64_t>[]>(2 * (mask_ + 1))) {}  // all 0

  bool has(const RunPrint& p) const {
    const std::size_t at = 2 * (p.v[0] & mask_);
    return v_[at].load(std::memory_order_relaxed) == p.v[0] &&
           v_[at + 1].load(std::memory_order_relaxed) == p.v[1];
  }

  void add(const RunPrint& p) {
    const std::size_t at = 2 * (p.v[0] & mask_);
    v_[at].store(p.v[0], std::memory_order_relaxed);
    v_[at + 1].store(p.v[1], std::memory_order_relaxed);
  }

 private:
  std::size_t mask_;
  std::unique_ptr<std::atomic<std::uint64_t>[]> v_;
};

}  // namespace solver
