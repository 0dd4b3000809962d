// Whole searches on several threads: the same lines, the same first
// solution and the same candidate count as on one.
#include <gtest/gtest.h>

#include <string>

#include "catalogue.hpp"
#include "counter_fixture.hpp"
#include "program.hpp"

namespace solver {
namespace {

using testing::CounterFixture;

struct Outcome {
  std::string out;
  std::uint64_t candidates = 0;
  std::uint64_t stats_candidates = 0;
  int status = -1;  // -1: the search ended with "search_end"
  int parallel_passes = 0;
  int cut_passes = 0;
  int grouped_passes = 0;
};

std::string map_of(std::string_view id) {
  for (const CatalogueEntry& e : kCatalogue)
    if (e.id == id) return std::string(e.map);
  return {};
}

struct Case {
  std::string map;
  int bytes;
  int msteps;
  int mlastfail = 0;
  const char* resume[4] = {nullptr, nullptr, nullptr, nullptr};
};

Outcome search(const Case& s, int threads, const std::string& input = "", char key = 0) {
  CounterFixture f(input, s.map);
  f.h.c.threads = threads;
  f.s.parallel_min_candidates = 0;  // every distribution on the workers
  SearchStats stats;
  f.h.c.stats = &stats;
  f.s.lim.mlastfail = s.mlastfail;
  f.limits(s.bytes, s.msteps);
  if (s.resume[0] != nullptr) {
    f.s.lim.restart = 1;
    CounterFixture::set(f.s.resj, s.resume[0]);
    CounterFixture::set(f.s.resa, s.resume[1]);
    CounterFixture::set(f.s.resjj, s.resume[2]);
    CounterFixture::set(f.s.resaa, s.resume[3]);
  }
  if (key != 0) f.h.keys.inject(key);
  Outcome o;
  try {
    f.s.search();
  } catch (const ProgramExit& e) {
    o.status = e.status;
  }
  o.out = f.out();
  o.candidates = f.s.candidates;
  o.stats_candidates = stats.candidates;
  o.parallel_passes = f.s.parallel_passes;
  o.cut_passes = f.s.cut_passes;
  o.grouped_passes = f.s.grouped_passes;
  return o;
}

TEST(CounterParallel, SameOutputAndCountsOnOneTwoAndEightThreads) {
  const std::vector<Case> setups = {
      {map_of("0005"), 5, 23},                            // clear, the units are whole [3] loops
      {map_of("0008"), 5, 104},                           // walls, long runs, clear
      {map_of("0010"), 4, 60},                            // walls and gray cells, search_end
      {map_of("0001"), 3, 12, 0, {}},                     // few triples: [3] loops cut into units
      {map_of("0010"), 4, 60, 0, {"", "sX", "rX", "s"}},  // resumed: that search alone
      {testing::corridor(), 3, 30},                       // clear in a small search
      {map_of("0743"), 6, 120},                           // several triples per unit, clear
      {map_of("0801"), 6, 40},                            // several triples per unit, search_end
  };
  int parallel = 0, cut = 0, grouped = 0;
  for (const Case& s : setups) {
    const Outcome one = search(s, 1);
    SCOPED_TRACE(one.out.substr(0, 80));
    EXPECT_EQ(one.stats_candidates, one.candidates);
    for (const int threads : {2, 8}) {
      const Outcome many = search(s, threads);
      EXPECT_EQ(many.out, one.out) << threads << " threads";
      EXPECT_EQ(many.candidates, one.candidates) << threads << " threads";
      EXPECT_EQ(many.stats_candidates, one.stats_candidates) << threads << " threads";
      EXPECT_EQ(many.status, one.status) << threads << " threads";
      parallel += many.parallel_passes;
      cut += many.cut_passes;
      grouped += many.grouped_passes;
    }
  }
  EXPECT_GT(parallel, 20);
  EXPECT_GT(cut, 5);
  EXPECT_GT(grouped, 2);
}

TEST(CounterParallel, KeysDuringAParallelSearch) {
  const Case s{map_of("0010"), 4, 60};
  const Outcome one = search(s, 1);
  ASSERT_EQ(one.status, -1);
  // A key: the position is shown, and nothing else changes.
  const Outcome shown = search(s, 2, "", 'a');
  EXPECT_EQ(shown.candidates, one.candidates);
  const std::size_t at = shown.out.find("a(X):[1]a([2],T-1)[3],a([4])\n[1]=");
  ASSERT_NE(at, std::string::npos) << shown.out;
  EXPECT_NE(shown.out.find("\nT=", at), std::string::npos);
  EXPECT_TRUE(shown.out.ends_with("search_end\n\n"));
  // "p" waits for "r" (after a wrong answer), then the search ends as usual.
  const Outcome paused = search(s, 2, "x\nr\n", 'p');
  EXPECT_NE(paused.out.find("r：再開，q:終了\n"), std::string::npos);
  EXPECT_EQ(paused.candidates, one.candidates);
  EXPECT_TRUE(paused.out.ends_with("search_end\n\n"));
  // "q" ends at once with status 0.
  const Outcome quit = search(s, 2, "q\n", 'p');
  EXPECT_EQ(quit.status, 0);
  EXPECT_TRUE(quit.out.ends_with("r：再開，q:終了\n"));
}

}  // namespace
}  // namespace solver
