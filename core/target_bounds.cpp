#include "target_bounds.hpp"

#include <algorithm>
#include <cstring>

#include "grid.hpp"

namespace solver {

namespace {

constexpr int kSide = 27;
constexpr int kCells = kSide * kSide;
// Cells of the map may be entered unless they are walls or gray; the
// border around the map never is, so no move leaves the grid.  A cell that
// cannot be entered holds kShut in a distance array, one not reached yet
// kFar.
constexpr std::int32_t kShut = -1;
constexpr int kNext[4] = {kSide, -1, -kSide, 1};  // flat index is 27 * x + y

// Breadth-first search from the cells queued in `queue[0 .. tail)` (their
// distances already 0 in d): forward moves to every cell, kFar where no
// move leads.  d starts as a copy of the map's open/shut pattern.
void spread(std::int32_t* d, std::int16_t* queue, int tail) {
  int head = 0;
  while (head < tail) {
    const int at = queue[head++];
    const std::int32_t next = d[at] + 1;
    for (const int step : kNext) {
      const int to = at + step;
      if (d[to] != TargetBounds::kFar) continue;
      d[to] = next;
      queue[tail++] = static_cast<std::int16_t>(to);
    }
  }
}

}  // namespace

void compute_target_bounds(Grid& g) {
  TargetBounds& b = g.bounds;
  const char* k = &g.k[0][0];
  std::int32_t pattern[kCells];
  std::vector<std::int16_t> cells;
  for (int at = 0; at < kCells; ++at) {
    const char ch = k[at];
    const int x = at / kSide;
    const int y = at % kSide;
    const bool on_map = x >= 1 && x <= 25 && y >= 1 && y <= 25;
    pattern[at] = !on_map || ch == 'x' || ch == '*' ? kShut : TargetBounds::kFar;
    b.target[x][y] = -1;
    if (on_map && ch == 'o') {
      b.target[x][y] = static_cast<std::int16_t>(cells.size());
      cells.push_back(static_cast<std::int16_t>(at));
    }
  }
  const std::size_t n = cells.size();
  std::int32_t d[kCells];
  std::int16_t queue[kCells];

  // dist[t * n + u]: forward moves between targets t and u.
  std::vector<std::int32_t> dist(n * n);
  for (std::size_t t = 0; t < n; ++t) {
    std::memcpy(d, pattern, sizeof d);
    d[cells[t]] = 0;
    queue[0] = cells[t];
    spread(d, queue, 1);
    for (std::size_t u = 0; u < n; ++u) dist[t * n + u] = d[cells[u]];
  }

  // nn(c, k): the k nearest other targets of each, in order.
  b.nn.assign(n, {});
  std::vector<std::int32_t> others;
  for (std::size_t t = 0; t < n; ++t) {
    others.clear();
    for (std::size_t u = 0; u < n; ++u) {
      if (u != t) others.push_back(dist[t * n + u]);
    }
    const std::size_t kept = std::min<std::size_t>(TargetBounds::kTracked, others.size());
    std::partial_sort(others.begin(), others.begin() + static_cast<std::ptrdiff_t>(kept),
                      others.end());
    for (std::size_t i = 0; i < TargetBounds::kTracked; ++i) {
      b.nn[t][i] = i < kept ? others[i] : TargetBounds::kFar;
    }
  }

  // near(p): from a cell that is no target, the nearest target (one search
  // from all targets at once); from a target, the nearest other one, which
  // is nn(t, 1) as distances go both ways.
  std::memcpy(d, pattern, sizeof d);
  for (std::size_t t = 0; t < n; ++t) {
    d[cells[t]] = 0;
    queue[t] = cells[t];
  }
  spread(d, queue, static_cast<int>(n));
  for (int at = 0; at < kCells; ++at) {
    const int x = at / kSide;
    const int y = at % kSide;
    const int t = b.target[x][y];
    b.near[x][y] = t >= 0           ? b.nn[static_cast<std::size_t>(t)][0]
                   : d[at] == kShut ? TargetBounds::kFar
                                    : d[at];
  }

  // Prim's algorithm on the complete graph of the targets.
  long long mst = 0;
  if (n != 0) {
    std::vector<std::int32_t> best(dist.begin(), dist.begin() + static_cast<std::ptrdiff_t>(n));
    std::vector<bool> in(n, false);
    in[0] = true;
    for (std::size_t added = 1; added < n; ++added) {
      std::size_t next = n;
      for (std::size_t u = 0; u < n; ++u) {
        if (!in[u] && (next == n || best[u] < best[next])) next = u;
      }
      mst += best[next];
      in[next] = true;
      for (std::size_t u = 0; u < n; ++u) best[u] = std::min(best[u], dist[next * n + u]);
    }
  }
  b.mst = static_cast<int>(std::min<long long>(mst, TargetBounds::kFar));
  b.ready = true;
}

}  // namespace solver
