// The fast engine against the literal template, and the search on several
// threads against the search on one.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "catalogue.hpp"
#include "decide.hpp"
#include "linear_bench.hpp"
#include "literal.hpp"

namespace solver {
namespace {

using testing::Bench;
using testing::LiteralLinear;

// A floor with walls and gray cells strewn around the start and a few
// targets near it, so that short random programs sometimes clear.
std::string small_map(std::mt19937& rng) {
  std::string map(625, '.');
  const auto cell = [&](int radius) {
    const int x = 12 + static_cast<int>(rng() % (2 * radius + 1)) - radius;
    const int y = 12 + static_cast<int>(rng() % (2 * radius + 1)) - radius;
    return static_cast<std::size_t>(y * 25 + x);
  };
  for (int i = 0; i < 12; ++i) map[cell(5)] = 'x';
  for (int i = 0; i < 6; ++i) map[cell(5)] = '*';
  const int targets = 1 + static_cast<int>(rng() % 3);
  for (int i = 0; i < targets; ++i) map[cell(2)] = 'o';
  map[12 * 25 + 12] = 'u';
  return map;
}

std::string fragment(std::mt19937& rng) {
  std::string f;
  for (int n = static_cast<int>(rng() % 4); n > 0; --n) f += "srl"[rng() % 3];
  return f;
}

int pick(std::mt19937& rng, int lo, int hi) {
  return lo + static_cast<int>(rng() % static_cast<unsigned>(hi - lo + 1));
}

// Random groups of candidates (one E, A, C, B and a range of D) on random
// maps and limits: the engine decides each D alone and the whole range at
// once; the literal template runs each D.  Same clears, same step counts,
// and the whole range stops at the first clear having counted up to it.
TEST(LinearEngine, AgreesWithTheLiteralTemplate) {
  std::mt19937 rng(20261208);
  int clears = 0;
  int groups = 0;
  for (int round = 0; round < 3000; ++round) {
    const bool catalogue = round % 5 == 0;
    const std::string map =
        catalogue ? std::string(kCatalogue[rng() % kCatalogue.size()].map) : small_map(rng);
    const std::string j = fragment(rng), jj = fragment(rng);
    const int msteps = rng() % 4 == 0 ? pick(rng, 0, 12) : pick(rng, 1, 400);
    const int mlastfail = pick(rng, 0, 60);
    Bench b;
    b.setup(map, j, jj, 20, msteps, mlastfail, 0, round % 2 == 0);
    LiteralLinear lit;
    lit.grid = &b.s.grid;
    lit.j = j;
    lit.jj = jj;
    lit.msteps = msteps;
    lit.mlastfail = mlastfail;
    for (int g = 0; g < 4; ++g, ++groups) {
      LinearWorker& w = b.s.w;
      w.E = rng() % 20 == 0 ? pick(rng, 250, 260) : pick(rng, 0, 12);
      do w.A = pick(rng, -4, 4);
      while (w.A == 0);
      do w.C = pick(rng, -4, 4);
      while (w.C == 0);
      w.B = rng() % 2 ? pick(rng, -12, 12) : pick(rng, -255, 255);
      const int dlo = rng() % 2 ? pick(rng, -12, 12) : pick(rng, -255, 255);
      const int dhi = std::min(255, dlo + pick(rng, 0, 30));
      lit.A = w.A;
      lit.B = w.B;
      lit.C = w.C;
      std::vector<int> want;
      int first = 0;
      for (int d = dlo; d <= dhi; ++d) {
        lit.D = d;
        want.push_back(lit.run(w.E));
        if (want.back() != 0 && first == 0) first = d - dlo + 1;
      }
      const auto never = [](int, int) { return false; };
      for (int d = dlo; d <= dhi; ++d) {
        const Decided r = w.decide(d, d, never);
        const int got = r == Decided::Cleared ? w.clear_steps : 0;
        ASSERT_EQ(got, want[d - dlo])
            << "map " << (catalogue ? "catalogue" : "small") << " [1]=" << j << " [2]=" << jj
            << " msteps " << msteps << " mlastfail " << mlastfail << " a(T):[1]a(" << w.A << "T+"
            << w.B << ")[2]a(" << w.C << "T+" << d << "), a(" << w.E << ")";
      }
      const std::uint64_t before = w.candidates;
      const Decided whole = w.decide(dlo, dhi, never);
      if (first != 0) {
        ++clears;
        ASSERT_EQ(whole, Decided::Cleared);
        EXPECT_EQ(w.D, dlo + first - 1);
        EXPECT_EQ(w.clear_steps, want[first - 1]);
        EXPECT_EQ(w.candidates - before, static_cast<std::uint64_t>(first));
      } else {
        ASSERT_EQ(whole, Decided::None);
        EXPECT_EQ(w.candidates - before, static_cast<std::uint64_t>(dhi - dlo + 1));
      }
    }
  }
  // Enough of both outcomes for the comparison to mean something.
  EXPECT_GT(clears, 150) << groups;
  EXPECT_LT(clears, groups / 2);
}

// Runs a whole search on `threads` threads: its output, ending and count.
struct Outcome {
  std::string out;
  int status = -1;
  std::uint64_t candidates = 0;
  bool operator==(const Outcome&) const = default;
};

Outcome search(std::string_view map, const std::string& j, const std::string& jj, int bytes,
               int msteps, int mlastfail, int startE, int threads) {
  Bench b;
  b.h.c.threads = threads;
  b.setup(map, j, jj, bytes, msteps, mlastfail, startE, true);
  Outcome o;
  try {
    b.s.search();
  } catch (const ProgramExit& e) {
    o.status = e.status;
  }
  o.out = b.h.out.str();
  o.candidates = b.s.w.candidates;
  return o;
}

TEST(LinearEngine, SameSearchOnOneTwoAndEightThreads) {
  struct Case {
    const char* map;
    const char* j;
    const char* jj;
    int bytes, msteps, mlastfail, startE;
    bool clears;
  };
  const Case cases[] = {
      {"0001", "s", "r", 13, 40, 0, 6, true},   {"0805", "sr", "s", 13, 324, 0, 7, true},
      {"0003", "s", "rs", 13, 60, 3, 4, true},  {"0747", "s", "rs", 13, 120, 0, 5, false},
      {"0010", "ss", "l", 13, 80, 0, 3, false},
  };
  for (const Case& k : cases) {
    const auto map = testing::catalogue_map(k.map);
    const Outcome one = search(map, k.j, k.jj, k.bytes, k.msteps, k.mlastfail, k.startE, 1);
    EXPECT_EQ(one.status, k.clears ? 0 : -1) << k.map;
    EXPECT_EQ(one.out.find("clear!!") != std::string::npos, k.clears) << k.map;
    for (const int threads : {2, 8}) {
      EXPECT_EQ(search(map, k.j, k.jj, k.bytes, k.msteps, k.mlastfail, k.startE, threads), one)
          << k.map << " on " << threads << " threads";
    }
  }
}

}  // namespace
}  // namespace solver
