// Lower bounds on the forward moves a run still needs before it can clear,
// computed once per map.
//
// Distances are forward moves between cells around walls and gray cells
// (breadth-first search over the 4-neighbourhood); turns cost nothing here,
// so every figure below bounds the commands a run needs from below.  The
// bounds hold while no gray cell can be entered without ending the run (a
// gray-cell limit of 0 or less), so the targets collected since the reset
// stay collected for the whole run.
//
// From a cell p, with C the targets collected so far and R the others, a run
// that clears walks from p to some target of R and then on through all of
// R.  The first part is at least near(p), the distance from p to the nearest
// target other than p itself.  The walk through R contains a spanning tree of
// R, so it is at least MST(R), the weight of a minimum spanning tree of R.
// MST(R) is bounded from the MST of all targets, which is known in advance:
// a spanning tree of R plus, for each c in C, an edge from c to its nearest
// target in R is a spanning tree of all targets, so
//   MST(all) <= MST(R) + sum over c in C of d(c, R).
// Among the |C| targets nearest to c (c itself excluded) at most |C| - 1 lie
// in C, so d(c, R) <= nn(c, |C|), the distance from c to its |C|-th nearest
// other target.  Hence a run at p that has collected C needs at least
//   near(p) + MST(all) - sum over c in C of nn(c, |C|)
// more forward moves, and one that has fewer commands left cannot clear.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace solver {

struct Grid;

struct TargetBounds {
  // The bound follows the collected targets while at most this many are.
  static constexpr int kTracked = 8;
  // A distance that no run can cover (a target out of reach).
  static constexpr int kFar = 1 << 20;

  bool ready = false;
  int mst = 0;                                         // MST(all), or kFar
  std::int32_t near[27][27] = {};                      // near(p)
  std::int16_t target[27][27] = {};                    // the target number of a cell, -1 if none
  std::vector<std::array<std::int32_t, kTracked>> nn;  // nn(c, k) at [c][k - 1]

  // The forward moves still needed, beyond near(p), once the targets listed
  // in `collected` (count of them, at most kTracked) have been collected.
  int rest(const int* collected, int count) const {
    long long r = mst;
    for (int i = 0; i < count; ++i) r -= nn[static_cast<std::size_t>(collected[i])][count - 1];
    return r > 0 ? static_cast<int>(r) : 0;
  }
};

// Fills g.bounds from the cells, targets and start of g.
void compute_target_bounds(Grid& g);

}  // namespace solver
