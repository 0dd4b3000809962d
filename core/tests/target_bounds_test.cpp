#include "target_bounds.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "catalogue.hpp"
#include "console_harness.hpp"
#include "grid.hpp"

namespace solver {
namespace {

// The bounds worked out the plain way: one search per cell pair's source,
// every distance compared, every list sorted in full.
struct PlainBounds {
  std::int32_t near[27][27];
  std::vector<std::array<std::int32_t, TargetBounds::kTracked>> nn;
  long long mst = 0;
};

std::vector<std::vector<std::int32_t>> plain_distances(const Grid& g, int x, int y) {
  std::vector<std::vector<std::int32_t>> d(27, std::vector<std::int32_t>(27, TargetBounds::kFar));
  std::vector<std::pair<int, int>> frontier{{x, y}};
  d[x][y] = 0;
  for (int dist = 1; !frontier.empty(); ++dist) {
    std::vector<std::pair<int, int>> next;
    for (const auto& [cx, cy] : frontier) {
      for (const auto& [mx, my] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
        const int nx = cx + mx;
        const int ny = cy + my;
        if (nx < 1 || nx > 25 || ny < 1 || ny > 25) continue;
        if (g.k[nx][ny] == 'x' || g.k[nx][ny] == '*' || d[nx][ny] != TargetBounds::kFar) continue;
        d[nx][ny] = dist;
        next.emplace_back(nx, ny);
      }
    }
    frontier = next;
  }
  return d;
}

PlainBounds plain_bounds(const Grid& g) {
  PlainBounds p;
  std::vector<std::pair<int, int>> targets;
  for (int x = 1; x <= 25; ++x)
    for (int y = 1; y <= 25; ++y)
      if (g.k[x][y] == 'o') targets.emplace_back(x, y);
  const std::size_t n = targets.size();
  std::vector<std::vector<std::vector<std::int32_t>>> from;
  for (const auto& [x, y] : targets) from.push_back(plain_distances(g, x, y));
  for (int x = 0; x < 27; ++x) {
    for (int y = 0; y < 27; ++y) {
      p.near[x][y] = TargetBounds::kFar;
      for (std::size_t t = 0; t < n; ++t) {
        if (targets[t] != std::pair{x, y}) p.near[x][y] = std::min(p.near[x][y], from[t][x][y]);
      }
    }
  }
  p.nn.assign(n, {});
  for (std::size_t t = 0; t < n; ++t) {
    std::vector<std::int32_t> others;
    for (std::size_t u = 0; u < n; ++u)
      if (u != t) others.push_back(from[t][targets[u].first][targets[u].second]);
    std::sort(others.begin(), others.end());
    others.resize(TargetBounds::kTracked, TargetBounds::kFar);
    std::copy(others.begin(), others.begin() + TargetBounds::kTracked, p.nn[t].begin());
  }
  // Kruskal on every pair, as a second way to the spanning tree.
  std::vector<std::tuple<std::int32_t, std::size_t, std::size_t>> edges;
  for (std::size_t t = 0; t < n; ++t)
    for (std::size_t u = t + 1; u < n; ++u)
      edges.emplace_back(from[t][targets[u].first][targets[u].second], t, u);
  std::sort(edges.begin(), edges.end());
  std::vector<std::size_t> root(n);
  for (std::size_t t = 0; t < n; ++t) root[t] = t;
  const auto find = [&](std::size_t t) {
    while (root[t] != t) t = root[t] = root[root[t]];
    return t;
  };
  for (const auto& [w, t, u] : edges) {
    const std::size_t a = find(t);
    const std::size_t b = find(u);
    if (a == b) continue;
    root[a] = b;
    p.mst += w;
  }
  p.mst = std::min<long long>(p.mst, TargetBounds::kFar);
  return p;
}

Grid from_map(const std::string& map) {
  testing::ConsoleHarness h;
  Grid g;
  load_map(h.c, g, map);
  return g;
}

void expect_plain(const Grid& g, const std::string& what) {
  SCOPED_TRACE(what);
  const TargetBounds& b = g.bounds;
  const PlainBounds p = plain_bounds(g);
  ASSERT_TRUE(b.ready);
  EXPECT_EQ(b.mst, p.mst);
  ASSERT_EQ(b.nn.size(), p.nn.size());
  EXPECT_TRUE(b.nn == p.nn);
  int mismatched = 0;
  for (int x = 0; x < 27; ++x)
    for (int y = 0; y < 27; ++y) mismatched += b.near[x][y] != p.near[x][y];
  EXPECT_EQ(mismatched, 0);
}

TEST(TargetBounds, SameAsThePlainWayOnEveryCatalogueMap) {
  for (const CatalogueEntry& e : kCatalogue) {
    expect_plain(from_map(std::string(e.map)), std::string(e.id));
  }
}

TEST(TargetBounds, SameAsThePlainWayOnRandomMaps) {
  // Walls, gray cells and targets at random densities, among them maps with
  // one target or none and targets walled in.
  std::mt19937 rng(20261209);
  for (int round = 0; round < 60; ++round) {
    std::string map(625, '.');
    const int walls = static_cast<int>(rng() % 40);
    const int grays = static_cast<int>(rng() % 20);
    const int targets = round < 4 ? round % 2 : static_cast<int>(rng() % 60);
    for (char& ch : map) {
      const int r = static_cast<int>(rng() % 100);
      ch = r < walls ? 'x' : r < walls + grays ? '*' : r < walls + grays + targets ? 'o' : '.';
    }
    map[rng() % 625] = 'u';
    expect_plain(from_map(map), "random map " + std::to_string(round));
  }
}

}  // namespace
}  // namespace solver
