// The robot: one command at a time on the loaded grid, with the step limit,
// the gray-cell rule and target collection.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
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
// move's code is 8 or more, also after a heading (0 to 3) is added to it.
enum : std::uint8_t { kGo = 8, kRight = 3, kLeft = 1 };

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
  // Only target cells are read.
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
        l[cx][cy] = 0;
        const bool plain = cell == '.';
        gate_plain[cx][cy] = plain ? 0 : kEvent;
        gate_bounds[cx][cy] = plain ? (g.bounds.ready ? g.bounds.near[cx][cy] : 0) : kEvent;
        const bool target = cell == 'o';
        gate_swept[cx][cy] =
            plain || target ? (g.bounds.ready ? g.bounds.near[cx][cy] : 0) : kEvent;
        fresh[cx * 27 + cy] = target ? 1 : 0;
        all_fresh[cx * 27 + cy] = target ? 1 : 0;
      }
    }
    // The span of cells that holds every target.
    fresh_from = 0;
    fresh_to = 0;
    for (int cell = 0; cell < 27 * 27; ++cell) {
      if (all_fresh[cell] == 0) continue;
      if (fresh_to == 0) fresh_from = cell;
      fresh_to = cell + 1;
    }
    for (int cell = 0; cell < 27 * 27; ++cell) {
      for (int t = 0; t < 16; ++t) {
        const int to = cell + (t < 12 ? static_cast<int>(kMove[t]) : 0);
        const bool wall = to < 0 || to >= 27 * 27 || (&g.k[0][0])[to] == 'x';
        step_to[cell][t] = static_cast<std::int16_t>(wall ? cell : to);
      }
    }
    walls_judged = false;
    walls_by_table = false;
    wall_moves = 0;
    collections_judged = false;
    collections_swept = false;
    collections = 0;
    choose_gate(false);
    held = 0;
    read_targets();
    moves_pruned = g.mappts;
    if (g.bounds.ready && mlastfail <= 0) {
      const TargetBounds& b = g.bounds;
      moves_pruned = b.near[g.startx][g.starty] + std::max<long long>(b.mst, g.mappts - 1LL);
    }
  }

  // The forward moves any run needs at least to clear the map from the
  // start: one per target and, with the target bounds (no gray cell may be
  // entered), the way to the nearest target and on through all of them,
  // near(start) + max(MST, targets - 1) (see target_bounds.hpp).
  long long moves_to_clear() const { return prune ? moves_pruned : grid->mappts; }

  // Step at which the target at (cx, cy) was collected in this run, 0 if not.
  int collected_at(int cx, int cy) const {
    if (grid == nullptr || grid->k[cx][cy] != 'o') return 0;
    return l[cx][cy] > base ? static_cast<int>(l[cx][cy] - base) : 0;
  }

  // The targets collected since the latest gray cell (since the start when
  // none was entered), in the order collected.  The cells are listed for
  // runs by the motion operations; the swept loop (run_mapped) counts its
  // own without listing them.
  int collected_count() const { return held; }
  int collected_cell(int i) const { return held_at[i]; }

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
    read_targets();
    set_limit();
    release_targets();
    tb = prune && grid->bounds.ready && mlastfail <= 0 ? &grid->bounds : nullptr;
    if (!collections_judged && commands >= kCollectionsJudgedAfter) {
      collections_judged = true;
      collections_swept = 12 * collections > commands;
    }
    sweeping = tb != nullptr && collections_swept && !walls_by_table;
    choose_gate(tb != nullptr);
    if (tb != nullptr) {
      // Sweeping follows no spanning tree: `rest` stays 0 (near(p) and one
      // move per target left), the bound for any targets collected.
      tracked = sweeping ? TargetBounds::kTracked : 0;
      std::fill(std::begin(nn_sum), std::end(nn_sum), 0);
      rest = sweeping ? 0 : tb->mst;
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
  // the rvect and lvect tables, 0 for a move), and the heading plus the code
  // picks the robot's move (none for a turn), so that turns and moves take
  // the same path and only walls (see below), targets, gray cells and the
  // bound on the moves left branch off.  Returns -1 at the first command
  // that stops the run, 0 otherwise.
  int run_mapped(const char* cmd, std::size_t n, const std::uint8_t* op) {
    if (!walls_judged && commands >= kWallsJudgedAfter) {
      walls_judged = true;
      walls_by_table = 8 * wall_moves > commands;
    }
    if (sweeping) {
      return goes_left >= 0 ? run_swept<true>(cmd, n, op) : run_swept<false>(cmd, n, op);
    }
    if (walls_by_table) {
      return goes_left >= 0 ? run_mapped_as<true, true>(cmd, n, op)
                            : run_mapped_as<false, true>(cmd, n, op);
    }
    return goes_left >= 0 ? run_mapped_as<true, false>(cmd, n, op)
                          : run_mapped_as<false, false>(cmd, n, op);
  }

  // Walls, two ways.  Without the table, the cell a command leads to is the
  // robot's cell plus the move of the heading, and a wall there is an event
  // that puts the robot back: the fastest way while the robot seldom meets
  // walls.  With the table (step_to), a move into a wall leads to the cell
  // itself: no event, but each move waits for the load of the next cell,
  // which pays only where the robot meets walls often.  Each robot judges
  // once, from the share of forward moves into walls among its first
  // kWallsJudgedAfter commands; both ways run the same commands to the
  // same end.
  static constexpr std::uint64_t kWallsJudgedAfter = std::uint64_t{1} << 20;
  bool walls_judged = false;
  bool walls_by_table = false;
  std::uint64_t wall_moves = 0;  // forward moves into walls without the table

  // Targets, two ways, with the target bounds and walls without the table.
  // As events, a target to collect leaves the fast loop (the general
  // collection, and a branch the processor seldom foresees where targets
  // are dense).  Swept, a target cell is a plain cell whose gate is its
  // near(p), and every move reads from `fresh` whether it collects: a few
  // more instructions a command and no branch, which pays where the robot
  // collects often.  Each robot judges once, at a reset, from the share of
  // collections among its first kCollectionsJudgedAfter commands; both ways
  // end every run that can clear at the same step (sweeping stops failing
  // runs by the cruder bound of near(p) and one move per target left).
  static constexpr std::uint64_t kCollectionsJudgedAfter = std::uint64_t{1} << 20;
  bool collections_judged = false;
  bool collections_swept = false;
  std::uint64_t collections = 0;  // targets collected by the runs so far
  // This run sweeps (it has the target bounds, and walls without the table).
  bool swept() const { return sweeping; }

 private:
  // Heading plus command code: the move on the flat grid (dx, dy of the
  // heading for a forward move, none for a turn).
  static constexpr long kMove[12] = {0, 0, 0, 0, 0, 0, 0, 0, 27, -1, -27, 1};
  // 1 for a forward move (heading plus code of "s"), 0 for a turn.
  static constexpr long long kGoes[12] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1};
  // The cell a command leads to from each cell, by heading plus command
  // code: the cell itself for a turn and for a forward move into a wall.
  std::int16_t step_to[27 * 27][16] = {};

  // Counted: goes_left holds the forward commands left in the stream.
  // Table: walls by step_to.
  template <bool Counted, bool Table>
  int run_mapped_as(const char* cmd, std::size_t n, const std::uint8_t* op) {
    const char* k = &grid->k[0][0];
    const std::int16_t* to = &step_to[0][0];
    const long long* g = gate();
    // The forward moves the run can still make: the forward commands left in
    // the stream when the caller has counted them, else all the commands the
    // step limit leaves.  A plain move onto a cell c may go on while
    // gate(c) <= left - need (see forward_need); `budget` is left - need,
    // and `need` changes only when a target is collected (in arrive).
    long long need = forward_need();
    long long budget = (Counted ? goes_left : static_cast<long long>(msteps) - 1 - steps) - need;
    long pos = x * 27 + y;
    unsigned v = static_cast<unsigned>(vect);
    int s = steps;
    int rc = 0;
    std::size_t i = 0;
    while (i < n) {
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
      // Command end + j (j counting up to 0) is step s_end + j: the loop
      // counts j only.
      const char* const stop = cmd + end;
      const long long s_end = s + 1 + static_cast<long long>(end - i);
      std::ptrdiff_t j = static_cast<std::ptrdiff_t>(i) - static_cast<std::ptrdiff_t>(end);
      for (; j != 0; ++j) {
        const unsigned t = v + op[static_cast<unsigned char>(stop[j])];
        v = t & 3;
        budget -= Counted ? kGoes[t] : 1;
        // (Without the table the cell moved from is worked out again where
        // it is needed, off the loop's common path.)
        long from = 0;
        if constexpr (Table) {
          from = pos;
          pos = to[pos * 16 + t];
        } else {
          pos += kMove[t];
        }
        // A floor cell or a target already collected, and the bound holds
        // there (looking after turns, and with the table after walls, too
        // keeps the loop free of a test on the command): a plain move.
        if (g[pos] <= budget) [[likely]]
          continue;
        const long np = pos;
        if constexpr (!Table) from = pos - kMove[t];
        if (g[np] != kEvent) {
          // The bound: fewer forward moves left than the run needs.
          s = static_cast<int>(s_end + j);
          rc = -1;
          goto done;
        }
        if (np == from) {
          // A turn on a gray cell (with the table also a move from it into
          // a wall): only the targets' count bounds the run.
          if (budget < 0) {
            s = static_cast<int>(s_end + j);
            rc = -1;
            goto done;
          }
          continue;
        }
        const char cell = k[np];
        if (!Table && cell == 'x') {
          pos = from;  // the robot stays
          ++wall_moves;
          continue;
        }
        // A gray cell or a target to collect: the rules of go_straight.  The
        // bound at the target itself waits for the next command.
        s = static_cast<int>(s_end + j);
        steps = s;
        vect = static_cast<int>(v);
        rc = cell == 'o' ? collect(np)
                         : arrive(static_cast<int>(np / 27), static_cast<int>(np % 27), cell);
        if (rc == -1) goto done;
        {
          const long long left = budget + need;
          need = forward_need();
          budget = left - need;
        }
        ++j;
        break;
      }
      // Through the command before end + j (after a collection: the one
      // collected).
      i = end + static_cast<std::size_t>(j);
      s = static_cast<int>(s_end + j) - 1;
    }
  done:
    if constexpr (Counted) goes_left = budget + need;
    steps = s;
    vect = static_cast<int>(v);
    x = static_cast<int>(pos / 27);
    y = static_cast<int>(pos % 27);
    return rc;
  }

  // The fast loop with targets swept (see collections_swept): `left` targets
  // to collect, `need` = left - 1 (rest is 0), and the step limit
  // msteps alone ends the loop (the limit by the targets left is implied by
  // the bound: a run with fewer commands than targets left has fewer
  // forward commands than it needs).
  template <bool Counted>
  int run_swept(const char* cmd, std::size_t n, const std::uint8_t* op) {
    const char* k = &grid->k[0][0];
    const long long* g = gate();
    long long left = targets - getpts;
    long long budget =
        (Counted ? goes_left : static_cast<long long>(msteps) - 1 - steps) - (left - 1);
    long pos = x * 27 + y;
    unsigned v = static_cast<unsigned>(vect);
    int s = steps;
    long h = held;
    // h once the last target is collected: the targets left are h_end - h.
    long h_end = h + left;
    int rc = 0;
    const long long can = static_cast<long long>(msteps) - 1 - s;
    const std::size_t end =
        static_cast<std::size_t>(std::max(0LL, std::min(static_cast<long long>(n), can)));
    // Command end + j (j counting up to 0) is step s_end + j.
    const char* const stop = cmd + end;
    const long long s_end = s + 1 + static_cast<long long>(end);
    std::ptrdiff_t j = -static_cast<std::ptrdiff_t>(end);
    for (; j != 0; ++j) {
      const unsigned t = v + op[static_cast<unsigned char>(stop[j])];
      v = t & 3;
      budget -= Counted ? kGoes[t] : 1;
      pos += kMove[t];
      // A target not collected yet: collected now, one target fewer to
      // need a move for.  (A turn stays on its cell, collected on arrival.)
      const long f = fresh[pos];
      fresh[pos] = 0;
      h += f;
      budget += f;
      if (g[pos] <= budget) [[likely]] {
        if (h != h_end) [[likely]]
          continue;
      }
      if (h == h_end) {
        cleared = true;  // the last target
        s = static_cast<int>(s_end + j);
        rc = -1;
        goto done;
      }
      const long np = pos;
      if (g[np] != kEvent) {
        s = static_cast<int>(s_end + j);
        rc = -1;
        goto done;
      }
      if (t < kGo) {
        // A turn on a gray cell.
        if (budget < 0) {
          s = static_cast<int>(s_end + j);
          rc = -1;
          goto done;
        }
        continue;
      }
      if (k[np] == 'x') {
        pos -= kMove[t];  // the robot stays
        ++wall_moves;
        continue;
      }
      // A gray cell: its rules (with the target bounds no gray cell may be
      // entered, so they end the run).
      {
        left = h_end - h;
        const long long goes = budget + (left - 1);
        s = static_cast<int>(s_end + j);
        held = static_cast<int>(h);
        getpts = static_cast<int>(targets - left);
        steps = s;
        vect = static_cast<int>(v);
        rc = arrive(static_cast<int>(np / 27), static_cast<int>(np % 27), k[np]);
        h = held;
        left = targets - getpts;
        h_end = h + left;
        budget = goes - (left - 1);
        if (rc == -1) goto done;
      }
    }
    if (end < n) {
      // The step limit refuses the next command.
      s = static_cast<int>(s_end + j);
      rc = -1;
    } else {
      s = static_cast<int>(s_end) - 1;
    }
  done:
    left = h_end - h;
    collections += static_cast<std::uint64_t>(h - held);
    held = static_cast<int>(h);
    getpts = static_cast<int>(targets - left);
    if constexpr (Counted) goes_left = budget + (left - 1);
    steps = s;
    vect = static_cast<int>(v);
    x = static_cast<int>(pos / 27);
    y = static_cast<int>(pos % 27);
    set_limit();
    return rc;
  }

  // The forward moves a run at a plain cell p needs beyond gate[p] before
  // it can clear, for the fast loop's bound:
  // - with the target bounds, gate[p] is near(p), the moves to the nearest
  //   target; after it, each target still to collect takes a forward move
  //   of its own, and the walk through them at least the `rest` of the
  //   bounds (target_bounds.hpp): near(p) + max(rest, targets - 1);
  // - otherwise gate[p] is 0, and each target still to collect takes a
  //   forward move of its own: targets;
  // - without pruning nothing: the budget stays far above every gate.
  long long forward_need() const {
    const long long left = targets - getpts;
    if (tb != nullptr) return std::max<long long>(rest, left - 1);
    if (prune) return left;
    return -kNoBound;
  }
  // Gate of a cell that calls for the rules of a move (a wall, a gray cell,
  // a target not collected since the latest gray cell): above any budget.
  static constexpr long long kEvent = std::numeric_limits<long long>::max();
  static constexpr long long kNoBound = 1LL << 48;

  // The gates: of every cell, what a plain move onto it needs (see
  // forward_need), or kEvent.  gate_bounds holds near(p) at plain cells,
  // gate_plain 0; gate() is the one in use for this run.  A target takes its
  // plain value while it is collected (`held` lists those cells), and kEvent
  // again at a gray cell and before the next run.
  long long moves_pruned = 0;  // moves_to_clear() with pruning
  long long gate_plain[27][27] = {};
  long long gate_bounds[27][27] = {};
  bool bounds_gate = false;
  long long* gate_now = &gate_plain[0][0];
  long long* gate() { return gate_now; }
  void choose_gate(bool bounds) {
    bounds_gate = bounds;
    gate_now = sweeping ? &gate_swept[0][0] : bounds ? &gate_bounds[0][0] : &gate_plain[0][0];
  }
  // The gates of the swept way: near(p) at targets too; and the target
  // cells not collected in this run, 1 (each way keeps both).  The swept
  // loop counts what it collects in `held` without listing the cells (a
  // store a command whose address waits for the count): a release while
  // sweeping marks every target fresh again, from `all_fresh`.
  long long gate_swept[27][27] = {};
  std::uint8_t fresh[27 * 27] = {};
  std::uint8_t all_fresh[27 * 27] = {};
  int fresh_from = 0;  // the targets lie in cells fresh_from .. fresh_to - 1
  int fresh_to = 0;
  bool sweeping = false;
  // The targets collected since the latest gray cell: `held` of them, listed
  // in held_at by the motion operations and the event loop.
  std::int16_t held_at[27 * 27] = {};
  int held = 0;
  void hold_target(int cell) {
    gate()[cell] = bounds_gate ? (&grid->bounds.near[0][0])[cell] : 0;
    fresh[cell] = 0;
    held_at[held++] = static_cast<std::int16_t>(cell);
  }
  void release_targets() {
    long long* g = gate();
    if (g == &gate_swept[0][0]) {
      if (held != 0) {
        std::memcpy(fresh + fresh_from, all_fresh + fresh_from,
                    static_cast<std::size_t>(fresh_to - fresh_from));
      }
    } else {
      for (int h = 0; h < held; ++h) {
        g[held_at[h]] = kEvent;
        fresh[held_at[h]] = 1;
      }
    }
    held = 0;
  }

  // The forward move onto (nx, ny), a cell that is not a wall, after its
  // step has been counted.
  int arrive(int nx, int ny, char cell) {
    x = nx;
    y = ny;
    if (cell == '*') {
      lastfail = steps;
      getpts = 0;
      release_targets();
      set_limit();
      return lastfail > mlastfail ? -1 : 0;
    }
    if (cell == 'o' && l[x][y] < base + lastfail) {
      if (collect(x * 27 + y) == -1) return -1;
    }
    return far_from_targets() ? -1 : 0;
  }

  // Collects the target at flat index `cell` (27 * column + row), not
  // collected since the latest gray cell, at the current step.  Returns -1
  // when that clears the map.
  int collect(long cell) {
    ++collections;
    (&l[0][0])[cell] = base + steps;
    hold_target(static_cast<int>(cell));
    if (++getpts >= targets) {
      cleared = true;
      return -1;
    }
    set_limit();
    if (tb != nullptr) {
      if (tracked < TargetBounds::kTracked) {
        // TargetBounds::rest, kept as sums for every count of targets.
        const auto& nn = tb->nn[static_cast<std::size_t>((&tb->target[0][0])[cell])];
        for (int k = 0; k < TargetBounds::kTracked; ++k)
          nn_sum[k] += nn[static_cast<std::size_t>(k)];
        const long long r = static_cast<long long>(tb->mst) - nn_sum[tracked++];
        rest = r > 0 ? static_cast<int>(r) : 0;
      } else {
        rest = 0;  // too many to follow: near(p) alone
      }
      cap = static_cast<long long>(msteps) - 1 - rest;
    }
    return 0;
  }

  // With the target bounds: true when the commands left cannot take the
  // robot from here through every target it has not collected.
  bool far_from_targets() const {
    return tb != nullptr && steps + static_cast<long long>(tb->near[x][y]) > cap;
  }

  // The step number from which every command is refused: msteps, or with
  // pruning the first step after which fewer commands are left than
  // targets still to collect.
  void set_limit() {
    const long long earliest = limit_base + getpts;  // msteps - (targets - getpts) + 1
    limit =
        prune && earliest < msteps ? static_cast<int>(std::max<long long>(1, earliest)) : msteps;
  }
  void read_targets() {
    targets = grid->mappts;
    limit_base = static_cast<long long>(msteps) + 1 - targets;
  }
  int limit = 0;
  int targets = 0;  // the map's, read at the binding and at every reset
  long long limit_base = 0;
  // The target bounds in use (null: none), the targets collected so far
  // while they are few enough to follow (how many, and for each k the sum
  // over them of nn(c, k + 1)), and the latest step from which the robot at
  // a cell p still has near(p) forward moves to reach a target and enough
  // after them for the others: it stops when steps + near(p) > cap.
  const TargetBounds* tb = nullptr;
  std::int32_t nn_sum[TargetBounds::kTracked] = {};
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
