#include "target_bounds.hpp"

#include <algorithm>

#include "grid.hpp"

namespace solver {

namespace {

// Forward moves from (x, y) to every cell, around walls and gray cells;
// kFar where it cannot go.
void distances_from(const Grid& g, int x, int y, std::int32_t (&d)[27][27]) {
  for (auto& column : d) std::fill(std::begin(column), std::end(column), TargetBounds::kFar);
  static constexpr int kDx[4] = {1, 0, -1, 0};
  static constexpr int kDy[4] = {0, -1, 0, 1};
  int queue[27 * 27];
  int head = 0;
  int tail = 0;
  d[x][y] = 0;
  queue[tail++] = x * 27 + y;
  while (head < tail) {
    const int cx = queue[head] / 27;
    const int cy = queue[head] % 27;
    ++head;
    for (int dir = 0; dir < 4; ++dir) {
      const int nx = cx + kDx[dir];
      const int ny = cy + kDy[dir];
      if (nx < 1 || nx > 25 || ny < 1 || ny > 25) continue;
      const char ch = g.k[nx][ny];
      if (ch == 'x' || ch == '*' || d[nx][ny] != TargetBounds::kFar) continue;
      d[nx][ny] = d[cx][cy] + 1;
      queue[tail++] = nx * 27 + ny;
    }
  }
}

}  // namespace

void compute_target_bounds(Grid& g) {
  TargetBounds& b = g.bounds;
  std::vector<std::pair<int, int>> cells;
  for (int x = 0; x < 27; ++x) {
    for (int y = 0; y < 27; ++y) {
      b.target[x][y] = -1;
      b.near[x][y] = TargetBounds::kFar;
      if (x >= 1 && x <= 25 && y >= 1 && y <= 25 && g.k[x][y] == 'o') {
        b.target[x][y] = static_cast<std::int16_t>(cells.size());
        cells.emplace_back(x, y);
      }
    }
  }
  const std::size_t n = cells.size();
  // dist[t * n + u]: forward moves between targets t and u.
  std::vector<std::int32_t> dist(n * n);
  std::int32_t d[27][27];
  for (std::size_t t = 0; t < n; ++t) {
    distances_from(g, cells[t].first, cells[t].second, d);
    for (int x = 1; x <= 25; ++x) {
      for (int y = 1; y <= 25; ++y) {
        if (b.target[x][y] != static_cast<int>(t)) b.near[x][y] = std::min(b.near[x][y], d[x][y]);
      }
    }
    for (std::size_t u = 0; u < n; ++u) dist[t * n + u] = d[cells[u].first][cells[u].second];
  }
  b.nn.assign(n, {});
  std::vector<std::int32_t> others;
  for (std::size_t t = 0; t < n; ++t) {
    others.clear();
    for (std::size_t u = 0; u < n; ++u) {
      if (u != t) others.push_back(dist[t * n + u]);
    }
    std::sort(others.begin(), others.end());
    for (int k = 0; k < TargetBounds::kTracked; ++k) {
      const auto i = static_cast<std::size_t>(k);
      b.nn[t][i] = i < others.size() ? others[i] : TargetBounds::kFar;
    }
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
