// The runs of one counter-template candidate for every count T, compiled to
// command arrays and sharing the work the runs have in common.
//
// The run for count T executes [1] with X0 .. X(T-1) (each followed by the
// length test of the next argument) and then [3] with X(T-1) .. X0.  The
// arguments depend only on [2] and [4], so the beginning of the run for T is
// the beginning of the run for T + 1, and neither depends on [3].  The
// beginnings are therefore run once for a triple [1], [2], [4]: the robot
// state after the beginning of each T is kept, and every [3] of the triple
// only runs its ends from those states.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "grid.hpp"
#include "limits.hpp"
#include "slots.hpp"

namespace solver {

class CounterRuns {
 public:
  static constexpr int kLastT = 19;

  // Loads the grid's cells and the limits.  `prune` ends runs that can no
  // longer clear (see Walker::set_limit).
  void bind(const Grid& g, const Limits& lim, bool prune = true);

  // [1], [2] or [4] changed: the kept beginnings no longer apply.
  void forget_prefix() { prefix_ready_ = false; }

  // The runs of the candidate for T = 1, 2, ... 19 in this order, as the
  // plain interpreter makes them.  Returns the first T whose run clears the
  // map and its step count in `steps`, or 0 when none clears.
  int run(const code_parts& j, const code_parts& a, const code_parts& jj, const code_parts& aa,
          int& steps);

  std::uint64_t runs = 0;      // runs actually made (beginnings counted once)
  std::uint64_t commands = 0;  // robot commands begun

 private:
  static constexpr int kMaxWords = 10;  // 640 targets at most (625 cells)
  enum Cell : std::uint8_t { kFloor, kWall, kGray, kTarget };
  enum : std::uint8_t { kS, kR, kL, kX };

  // The robot between two commands.
  struct Walker {
    int cell = 0;
    int vect = 1;
    int steps = 0;
    int getpts = 0;
    int lastfail = 1;
    int limit = 0;
    // Targets collected since the last gray cell (all of the run before one).
    std::array<std::uint64_t, kMaxWords> got = {};
  };

  // The beginning of the run for one T: it goes on from `state`, or the
  // run already ends in it, with a clear at `state.steps` or without one.
  enum class Begin : std::uint8_t { Open, Clear, Fail };
  struct Prefix {
    Begin kind = Begin::Fail;
    Walker state;
    // Forward commands the end of the run needs at least to clear from
    // `state`: the nearest uncollected target's distance, then one per
    // other target left (-1 until asked for).
    int need = -1;
  };

  void set_limit(Walker& w) const;
  bool step(Walker& w, std::uint8_t cmd);
  bool exec(Walker& w, const std::vector<std::uint8_t>& ops, const std::vector<std::uint8_t>& x);
  void build_prefix(const code_parts& j, const code_parts& a, const code_parts& aa);
  static void compile(std::string_view code, std::vector<std::uint8_t>& ops);

  int forward_need(const Walker& w) const;

  std::array<Cell, 27 * 27> kind_{};
  std::array<std::int16_t, 27 * 27> target_{};
  std::vector<int> target_cells_;  // by target number
  int start_ = 0;
  int mappts_ = 0;
  int msteps_ = 0;
  int mlastfail_ = 0;
  bool prune_ = true;
  bool cleared_ = false;

  bool prefix_ready_ = false;
  std::array<Prefix, kLastT + 1> prefix_{};
  std::array<std::vector<std::uint8_t>, kLastT + 1> x_;  // X0 .. X19, as far as built
  std::array<int, kLastT + 1> x_forward_{};              // their "s" counts
  std::vector<std::uint8_t> jops_, aops_, jjops_;
};

// Fragments of a slot of `length` letters over "s", "r", "l" and, with
// `with_x`, "X" (turn runs "rr", "rl", "lr", "lll" excluded), as a double.
double fragment_count(int length, bool with_x);

}  // namespace solver
