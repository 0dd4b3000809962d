// The robot of the linear search: the same rules as Robot (core/robot.hpp),
// on a flat copy of the grid, with commands as small codes and a way back to
// an earlier point of the run.
//
// A mark records the robot's scalars and the length of an undo log of the
// targets collected since the reset; going back to a mark replays the log
// backwards, so the state is exactly the one the run had at the mark.  The
// search uses this to run a prefix shared by many candidates once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "grid.hpp"
#include "robot.hpp"

namespace solver {

// The commands of a fragment: "s", "r", "l" in order, anything else dropped
// (the plain execution skips it too).
inline std::vector<std::uint8_t> compile_fragment(std::string_view fragment) {
  std::vector<std::uint8_t> out;
  for (const char ch : fragment) {
    if (ch == 's') out.push_back(kGo);
    if (ch == 'r') out.push_back(kRight);
    if (ch == 'l') out.push_back(kLeft);
  }
  return out;
}

struct LinearRobot {
  static constexpr int kSide = 27;

  struct Mark {
    int pos, vect, steps, getpts, lastfail, limit;
    std::size_t undo;
  };

  // Copies the grid and the limits; `prune` as Robot::prune.
  void bind(const Grid& g, int step_limit, int gray_limit, bool prune_runs) {
    for (int x = 0; x < kSide; ++x)
      for (int y = 0; y < kSide; ++y) cell[x * kSide + y] = g.k[x][y];
    mappts = g.mappts;
    start = g.startx * kSide + g.starty;
    msteps = step_limit;
    mlastfail = gray_limit;
    prune = prune_runs;
    undo.reserve(1024);
    reset();
  }

  void reset() {
    count_commands();
    base += steps + 1;
    steps = counted = 0;
    vect = 1;
    pos = start;
    getpts = 0;
    lastfail = 1;
    cleared = false;
    undo.clear();
    set_limit();
  }

  Mark mark() const { return {pos, vect, steps, getpts, lastfail, limit, undo.size()}; }

  void restore(const Mark& m) {
    count_commands();
    while (undo.size() > m.undo) {
      l[undo.back().cell] = undo.back().stamp;
      undo.pop_back();
    }
    pos = m.pos;
    vect = m.vect;
    steps = counted = m.steps;
    getpts = m.getpts;
    lastfail = m.lastfail;
    limit = m.limit;
    cleared = false;
  }

  // Runs compiled commands: 0, or -1 at the first one that stops the run.
  int run(const std::uint8_t* p, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
      if (++steps >= limit) return -1;
      if (p[i] == kGo) {
        if (go() == -1) return -1;
      } else {
        vect = p[i] == kRight ? rvect[vect] : lvect[vect];
      }
    }
    return 0;
  }
  int run(const std::vector<std::uint8_t>& v) { return run(v.data(), v.size()); }

  // Step at which the target at (x, y) was collected in this run, 0 if not.
  int collected_at(int x, int y) const {
    const long long v = l[x * kSide + y];
    return v > base ? static_cast<int>(v - base) : 0;
  }
  int x() const { return pos / kSide; }
  int y() const { return pos % kSide; }

  // Commands begun by every run so far.
  std::uint64_t commands() const { return total + static_cast<std::uint64_t>(steps - counted); }

  int vect = 1;
  int steps = 0;
  int getpts = 0;
  int lastfail = 1;
  bool cleared = false;
  int msteps = 0;
  int mlastfail = 0;

 private:
  struct Undo {
    int cell;
    long long stamp;
  };

  // The forward move after its step has been counted (Robot::go_straight).
  int go() {
    static constexpr int delta[4] = {kSide, -1, -kSide, 1};
    const int np = pos + delta[vect];
    switch (cell[np]) {
      case 'x':
        return 0;
      case '*':
        pos = np;
        lastfail = steps;
        getpts = 0;
        set_limit();
        return lastfail > mlastfail ? -1 : 0;
      case 'o':
        pos = np;
        if (l[np] < base + lastfail) {
          undo.push_back({np, l[np]});
          l[np] = base + steps;
          if (++getpts >= mappts) {
            cleared = true;
            return -1;
          }
          set_limit();
        }
        return 0;
      default:
        pos = np;
        return 0;
    }
  }

  // As Robot: msteps, or with pruning the first step after which fewer
  // commands are left than targets still to collect.
  void set_limit() {
    limit = msteps;
    if (prune) {
      const long long earliest = static_cast<long long>(msteps) - (mappts - getpts) + 1;
      if (earliest < limit) limit = static_cast<int>(earliest < 1 ? 1 : earliest);
    }
  }

  void count_commands() {
    total += static_cast<std::uint64_t>(steps - counted);
    counted = steps;
  }

  char cell[kSide * kSide] = {};
  long long l[kSide * kSide] = {};
  long long base = 0;
  int pos = 0;
  int start = 0;
  int mappts = 0;
  int limit = 0;
  bool prune = false;
  int counted = 0;
  std::uint64_t total = 0;
  std::vector<Undo> undo;
};

}  // namespace solver
