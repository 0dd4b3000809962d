// The robot: one command at a time on the loaded grid, with the step limit,
// the gray-cell rule and target collection.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>

#include "grid.hpp"

namespace solver {

// Directions: 0 right, 1 up, 2 left, 3 down.
inline constexpr int dx[4] = {1, 0, -1, 0};
inline constexpr int dy[4] = {0, -1, 0, 1};
inline constexpr int rvect[4] = {3, 0, 1, 2};
inline constexpr int lvect[4] = {1, 2, 3, 0};

// Command codes of compiled command strings.  A code modulo 4 is the
// number of quarter turns the command adds to the heading; only a forward
// move's code has bit 2 set.
enum : std::uint8_t { kGo = 4, kRight = 3, kLeft = 1 };

// Robot state of one candidate run.  A search worker owns one.
//
// The motion operations return 0 (go on) or -1 (stop this candidate).  The
// move that collects the last target sets `cleared` and also returns -1, so
// every interpreter stops at once; the engine then reports the solution.
struct Robot {
  const Grid* grid = nullptr;
  int msteps = 0;     // step limit: a run executes at most msteps - 1 commands
  int mlastfail = 0;  // latest step at which a gray cell may be entered
  // Stop a run as soon as it can no longer clear: each forward step collects
  // at most one target, so a run with fewer commands left than targets left
  // to collect (all of them again after a gray cell) never clears.  While no
  // gray cell can be entered, a run also stops once it has fewer commands
  // left than the forward moves the map's target bounds (target_bounds.hpp)
  // say it still needs.  Ending a run early changes no result, only the step
  // at which it fails.
  bool prune = false;

  int x = 0;
  int y = 0;
  int vect = 1;
  int steps = 0;
  int getpts = 0;
  int lastfail = 1;
  bool cleared = false;

  // When each target was last collected, as `base` + step, so that a reset
  // need not clear the grid: values of earlier runs all lie below `base`.
  // The other cells hold kFloor (a floor cell, never to collect) or kOther
  // (a wall or a gray cell, always to look at), so that a move reads one
  // value to know whether it only moves (see run_mapped).
  static constexpr long long kFloor = std::numeric_limits<long long>::max();
  static constexpr long long kOther = std::numeric_limits<long long>::min();
  long long l[27][27] = {};
  long long base = 0;
  // Forward commands the rest of the run holds, when the caller knows them
  // (run_mapped counts them down); -1 when not known.  Reset to -1.
  long long goes_left = -1;
  // Commands begun by the runs before the current one.
  std::uint64_t commands = 0;

  // The grid must not change while it is bound.
  void bind(const Grid& g, int step_limit, int gray_limit) {
    grid = &g;
    msteps = step_limit;
    mlastfail = gray_limit;
    for (int cx = 0; cx < 27; ++cx) {
      for (int cy = 0; cy < 27; ++cy) {
        const char cell = g.k[cx][cy];
        l[cx][cy] = cell == '.' ? kFloor : cell == 'o' ? 0 : kOther;
      }
    }
  }

  // Step at which the target at (cx, cy) was collected in this run, 0 if not.
  int collected_at(int cx, int cy) const {
    if (grid == nullptr || grid->k[cx][cy] != 'o') return 0;
    return l[cx][cy] > base ? static_cast<int>(l[cx][cy] - base) : 0;
  }

  // The reset before every run.
  void reset() {
    commands += static_cast<std::uint64_t>(steps);
    base += steps + 1;
    steps = 0;
    vect = 1;
    x = grid->startx;
    y = grid->starty;
    getpts = 0;
    lastfail = 1;
    cleared = false;
    goes_left = -1;
    set_limit();
    tb = prune && grid->bounds.ready && mlastfail <= 0 ? &grid->bounds : nullptr;
    if (tb != nullptr) {
      tracked = 0;
      rest = tb->mst;
      cap = static_cast<long long>(msteps) - 1 - rest;
    }
  }

  int go_straight() {
    if (++steps >= limit) return -1;
    const int nx = x + dx[vect];
    const int ny = y + dy[vect];
    const char cell = grid->k[nx][ny];
    if (cell == 'x') return 0;
    return arrive(nx, ny, cell);
  }

  int turn_right() {
    if (++steps >= limit) return -1;
    vect = rvect[vect];
    return 0;
  }

  int turn_left() {
    if (++steps >= limit) return -1;
    vect = lvect[vect];
    return 0;
  }

  // Runs n commands given as bytes, op[byte] telling the command of each
  // (kGo, kRight, kLeft): the same as the motion operations one by one, with
  // the robot kept in registers.  A command's code modulo 4 is the quarter
  // turns it adds to the heading (3 for a right turn, 1 for a left one, as
  // the rvect and lvect tables, 0 for a move), and a command moves the robot
  // by its step times its bit 2, so that turns and moves take the same path
  // and only walls, targets and gray cells branch off.  Returns -1 at the
  // first command that stops the run, 0 otherwise.
  int run_mapped(const char* cmd, std::size_t n, const std::uint8_t* op) {
    return goes_left >= 0 ? run_mapped_as<true>(cmd, n, op) : run_mapped_as<false>(cmd, n, op);
  }

 private:
  // Counted: goes_left holds the forward commands left in the stream.
  template <bool Counted>
  int run_mapped_as(const char* cmd, std::size_t n, const std::uint8_t* op) {
    static constexpr int kStep[4] = {27, -1, -27, 1};  // dx, dy on the flat grid
    const char* k = &grid->k[0][0];
    const long long* ls = &l[0][0];
    const std::int32_t* near = tb != nullptr ? &tb->near[0][0] : kNoDistances;
    // The forward moves the run can still make: the forward commands left in
    // the stream when the caller has counted them, else all the commands the
    // step limit leaves.  The run stops when the target bounds need more;
    // `rest` falls as targets are collected (in arrive).
    long long left = Counted ? goes_left : static_cast<long long>(msteps) - 1 - steps;
    long long need = tb != nullptr ? rest : -kNoCap;
    // Each target still to collect takes a forward move of its own.
    long long targets = prune ? grid->mappts - getpts : -kNoCap;
    int pos = x * 27 + y;
    int v = vect;
    int s = steps;
    int rc = 0;
    std::size_t i = 0;
    while (i < n) {
      // Targets collected since the last gray cell hold at least `fresh`;
      // floor cells hold more, walls and gray cells less.
      const long long fresh = base + lastfail;
      // The commands the step limit lets begin (steps s + 1 .. limit - 1);
      // the one after them is refused.  The limit moves only when a target
      // is collected or a gray cell entered, which leaves the inner loop.
      const long long can = static_cast<long long>(limit) - 1 - s;
      if (can <= 0) {
        ++s;
        rc = -1;
        break;
      }
      const std::size_t end =
          i + static_cast<std::size_t>(std::min(static_cast<long long>(n - i), can));
      // Command i is step s_at + i: the loop counts i only.
      const long long s_at = s + 1 - static_cast<long long>(i);
      for (; i < end; ++i) {
        const unsigned c = op[static_cast<unsigned char>(cmd[i])];
        const int go = static_cast<int>(c >> 2);
        if constexpr (Counted) {
          left -= go;
        } else {
          --left;
        }
        v = (v + static_cast<int>(c)) & 3;
        const int np = pos + (kStep[v] & -go);
        if (((ls[np] < fresh) & (go != 0)) != 0) {
          const char cell = k[np];
          if (cell == 'x') continue;
          // A gray cell or a target to collect: the rules of go_straight.
          s = static_cast<int>(s_at + static_cast<long long>(i));
          steps = s;
          vect = v;
          rc = arrive(np / 27, np % 27, cell);
          pos = np;
          if (rc == -1) goto done;
          if (tb != nullptr) need = rest;
          if (prune) targets = grid->mappts - getpts;
          ++i;
          break;
        }
        // A floor cell or a target already collected: a plain move.
        pos = np;
        // The bound holds at any command; looking after turns too keeps the
        // loop free of a test on the command.
        if (std::max(near[pos] + need, targets) > left) {
          s = static_cast<int>(s_at + static_cast<long long>(i));
          rc = -1;
          goto done;
        }
      }
      // Through the command before i (after a collection: the one collected).
      s = static_cast<int>(s_at + static_cast<long long>(i)) - 1;
    }
  done:
    if constexpr (Counted) goes_left = left;
    steps = s;
    vect = v;
    x = pos / 27;
    y = pos % 27;
    return rc;
  }

  static constexpr long long kNoCap = 1LL << 62;
  static constexpr std::int32_t kNoDistances[27 * 27] = {};

  // The forward move onto (nx, ny), a cell that is not a wall, after its
  // step has been counted.
  int arrive(int nx, int ny, char cell) {
    x = nx;
    y = ny;
    if (cell == '*') {
      lastfail = steps;
      getpts = 0;
      set_limit();
      return lastfail > mlastfail ? -1 : 0;
    }
    if (cell == 'o' && l[x][y] < base + lastfail) {
      l[x][y] = base + steps;
      ++getpts;
      if (getpts >= grid->mappts) {
        cleared = true;
        return -1;
      }
      set_limit();
      if (tb != nullptr) collect_for_bound();
    }
    return far_from_targets() ? -1 : 0;
  }

  // With the target bounds: true when the commands left cannot take the
  // robot from here through every target it has not collected.
  bool far_from_targets() const {
    return tb != nullptr && steps + static_cast<long long>(tb->near[x][y]) > cap;
  }
  void collect_for_bound() {
    if (tracked < TargetBounds::kTracked) {
      got[tracked++] = tb->target[x][y];
      rest = tb->rest(got, tracked);
    } else {
      rest = 0;  // too many to follow: near(p) alone
    }
    cap = static_cast<long long>(msteps) - 1 - rest;
  }

  // The step number from which every command is refused: msteps, or with
  // pruning the first step after which fewer commands are left than
  // targets still to collect.
  void set_limit() {
    limit = msteps;
    if (prune) {
      const long long earliest = static_cast<long long>(msteps) - (grid->mappts - getpts) + 1;
      if (earliest < limit) limit = static_cast<int>(earliest < 1 ? 1 : earliest);
    }
  }
  int limit = 0;
  // The target bounds in use (null: none), the targets collected so far
  // while they are few enough to follow, and the latest step from which the
  // robot at a cell p still has near(p) forward moves to reach a target and
  // enough after them for the others: it stops when steps + near(p) > cap.
  const TargetBounds* tb = nullptr;
  int got[TargetBounds::kTracked] = {};
  int tracked = 0;
  int rest = 0;
  long long cap = 0;
};

// Runs a fragment: "s", "r", "l" move the robot; each of the first `NParams`
// parameter letters "X", "Y", "Z" runs the command string that `bound(0)`,
// `bound(1)`, `bound(2)` gives for it; any other character is skipped.
// Returns -1 at the first command that does.
template <int NParams, typename Bound>
int run_with_parameters(Robot& r, std::string_view fragment, const Bound& bound) {
  for (const char ch : fragment) {
    int rc = 0;
    switch (ch) {
      case 's':
        rc = r.go_straight();
        break;
      case 'r':
        rc = r.turn_right();
        break;
      case 'l':
        rc = r.turn_left();
        break;
      case 'X':
        if constexpr (NParams >= 1) rc = run_with_parameters<0>(r, bound(0), bound);
        break;
      case 'Y':
        if constexpr (NParams >= 2) rc = run_with_parameters<0>(r, bound(1), bound);
        break;
      case 'Z':
        if constexpr (NParams >= 3) rc = run_with_parameters<0>(r, bound(2), bound);
        break;
      default:
        break;
    }
    if (rc == -1) return -1;
  }
  return 0;
}

// Plain execution of a command string (jikkoujj): "s", "r", "l" move the
// robot, any other character is skipped.
inline int jikkoujj(Robot& r, std::string_view fragment) {
  return run_with_parameters<0>(r, fragment, [](int) { return std::string_view(); });
}

}  // namespace solver
