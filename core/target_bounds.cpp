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
// move leads.  d starts as a copy of the map's open/shut pattern.  Cells
// are met in order of distance; `met(from, to)` is told of each as its
// distance is set, and ends the search by returning false.  Returns the
// number of cells queued, which are all the search touched.
template <typename Met>
int spread(std::int32_t* d, std::int16_t* queue, int tail, const Met& met) {
  int head = 0;
  while (head < tail) {
    const int at = queue[head++];
    const std::int32_t next = d[at] + 1;
    for (const int step : kNext) {
      const int to = at + step;
      if (d[to] != TargetBounds::kFar) continue;
      d[to] = next;
      queue[tail++] = static_cast<std::int16_t>(to);
      if (!met(at, to)) return tail;
    }
  }
  return tail;
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

  // nn(c, k): the k nearest other targets of each, in order.  The first
  // kTracked other targets a search from c meets are the nearest: it stops
  // there, and the cells it touched are put back.
  std::memcpy(d, pattern, sizeof d);
  b.nn.assign(n, {});
  for (std::size_t t = 0; t < n; ++t) {
    auto& nearest = b.nn[t];
    nearest.fill(TargetBounds::kFar);
    std::size_t found = 0;
    d[cells[t]] = 0;
    queue[0] = cells[t];
    const int touched = spread(d, queue, 1, [&](int, int to) {
      if (b.target[to / kSide][to % kSide] < 0) return true;
      nearest[found++] = d[to];
      return found < TargetBounds::kTracked;
    });
    for (int i = 0; i < touched; ++i) d[queue[i]] = pattern[queue[i]];
  }

  // One search from all targets at once: each cell's nearest target (its
  // owner, the owner of the cell it was reached from) and the distance.
  // near(p): from a cell that is no target, that distance; from a target,
  // the nearest other one, which is nn(t, 1).
  std::int16_t owner[kCells];
  for (std::size_t t = 0; t < n; ++t) {
    d[cells[t]] = 0;
    owner[cells[t]] = static_cast<std::int16_t>(t);
    queue[t] = cells[t];
  }
  spread(d, queue, static_cast<int>(n), [&](int from, int to) {
    owner[to] = owner[from];
    return true;
  });
  for (int at = 0; at < kCells; ++at) {
    const int x = at / kSide;
    const int y = at % kSide;
    const int t = b.target[x][y];
    b.near[x][y] = t >= 0           ? b.nn[static_cast<std::size_t>(t)][0]
                   : d[at] == kShut ? TargetBounds::kFar
                                    : d[at];
  }

  // The minimum spanning tree of the targets, with their distances as
  // weights, from the edges between neighbouring cells of different owners
  // only: such an edge joins its owners by a walk of d(u) + 1 + d(v) moves.
  // Along a shortest path from target s to target t, each step from the
  // cells of one owner a to those of another b makes an edge of weight at
  // most d(s, t) (the owner of a cell is at least as near to it as s, and
  // the next owner as near to the next cell as t), so these edges join s to
  // t with none heavier than d(s, t); and no edge is lighter than the
  // distance of its owners.  For every weight w, the targets joined by
  // edges of at most w are then the same as with every pair's distance as
  // its edge, and so is the weight of a minimum spanning tree (Kruskal).
  struct Edge {
    std::int32_t w;
    std::int16_t a;
    std::int16_t b;
  };
  std::vector<Edge> edges;
  for (int at = 0; at < kCells; ++at) {
    if (d[at] < 0 || d[at] == TargetBounds::kFar) continue;
    for (const int step : {1, kSide}) {  // the map lies inside a border
      const int to = at + step;
      if (d[to] < 0 || d[to] == TargetBounds::kFar || owner[to] == owner[at]) continue;
      edges.push_back({d[at] + 1 + d[to], owner[at], owner[to]});
    }
  }
  std::sort(edges.begin(), edges.end(), [](const Edge& e, const Edge& f) { return e.w < f.w; });
  std::vector<std::int16_t> root(n);
  for (std::size_t t = 0; t < n; ++t) root[t] = static_cast<std::int16_t>(t);
  const auto find = [&](std::int16_t t) {
    while (root[static_cast<std::size_t>(t)] != t) {
      t = root[static_cast<std::size_t>(t)] =
          root[static_cast<std::size_t>(root[static_cast<std::size_t>(t)])];
    }
    return t;
  };
  long long mst = 0;
  std::size_t joined = 0;
  for (const Edge& e : edges) {
    const std::int16_t a = find(e.a);
    const std::int16_t c = find(e.b);
    if (a == c) continue;
    root[static_cast<std::size_t>(a)] = c;
    mst += e.w;
    ++joined;
  }
  // Targets out of each other's reach: no run collects them all.
  if (n != 0 && joined != n - 1) mst = TargetBounds::kFar;
  b.mst = static_cast<int>(std::min<long long>(mst, TargetBounds::kFar));
  b.ready = true;
}

}  // namespace solver
