// The odometer over whole searches: what is run, how often, and the key poll.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "counter_fixture.hpp"
#include "input.hpp"

namespace solver {
namespace {

using testing::CounterFixture;
using testing::kHint;
using testing::kTime;
using Candidate = std::tuple<std::string, std::string, std::string, std::string>;

Candidate slots(const CounterSearch& s) {
  return {s.j.code, s.a.code, s.jj.code, s.aa.code};
}

// Records every candidate that is run.
struct RunLog {
  std::vector<Candidate> run;
  void attach(CounterSearch& s) {
    s.on_run = [this](CounterSearch& cs) {
      EXPECT_TRUE(cs.j.xcount != 0 || cs.jj.xcount != 0) << "a body without X was run";
      run.push_back(slots(cs));
    };
  }
};

std::string head(int msteps, int entered) {
  return "0001," + std::to_string(msteps) + "msteps,0mlastfail," + std::to_string(entered) +
         "bytes\n" + kTime;
}

const char* const kTemplate = "a(X):[1]a([2],T-1)[3],a([4])\n";

TEST(CounterSearch, BudgetTwoRunsSevenOfTwentyEightCandidates) {
  CounterFixture f;
  f.limits(2, 24);  // the target is out of reach
  RunLog log;
  log.attach(f.s);
  f.s.search();
  EXPECT_EQ(f.s.candidates, 28u);
  const std::vector<Candidate> expected = {
      {"", "s", "X", ""}, {"", "r", "X", ""}, {"", "l", "X", ""}, {"", "X", "X", ""},
      {"", "", "X", "s"}, {"", "", "X", "r"}, {"", "", "X", "l"}};
  EXPECT_EQ(log.run, expected);
  EXPECT_EQ(f.out(), head(24, 10) + "0,1,1,0\n" + kHint + head(24, 10) + "0,0,1,1\n" + kHint +
                         head(24, 10) + "search_end\n\n");
  EXPECT_EQ(f.s.T, 20);
}

TEST(CounterSearch, OdometerNestingOrder) {
  // Budget 3, distribution (1,1,1,0) onwards: [3] changes fastest, then
  // [4], then [2], then [1].
  CounterFixture f;
  f.limits(3, 24);
  RunLog log;
  log.attach(f.s);
  f.s.search();
  const std::vector<std::string> one = {"s", "r", "l", "X"};
  const std::vector<std::string> two = {"ss", "rs", "ls", "Xs", "sr", "Xr", "sl",
                                        "ll", "Xl", "sX", "rX", "lX", "XX"};
  const std::vector<std::string> main_one = {"s", "r", "l"};
  const std::vector<std::string> main_two = {"ss", "rs", "ls", "sr", "sl", "ll"};
  std::vector<Candidate> expected;
  std::uint64_t candidates = 0;
  auto add = [&](const std::vector<std::string>& js, const std::vector<std::string>& as,
                 const std::vector<std::string>& jjs, const std::vector<std::string>& aas) {
    for (const auto& j : js)
      for (const auto& a : as)
        for (const auto& aa : aas)
          for (const auto& jj : jjs) {
            ++candidates;
            if (j.find('X') != std::string::npos || jj.find('X') != std::string::npos)
              expected.push_back({j, a, jj, aa});
          }
  };
  const std::vector<std::string> empty = {""};
  add(empty, two, one, empty);       // 0,2,1,0
  add(empty, one, one, main_one);    // 0,1,1,1
  add(empty, empty, one, main_two);  // 0,0,1,2
  add(empty, one, two, empty);       // 0,1,2,0
  add(empty, empty, two, main_one);  // 0,0,2,1
  add(one, one, one, empty);         // 1,1,1,0
  add(one, empty, one, main_one);    // 1,0,1,1
  EXPECT_EQ(log.run, expected);
  EXPECT_EQ(f.s.candidates, candidates);
}

TEST(CounterSearch, FirstCandidateThatClearsEndsTheSearch) {
  CounterFixture f("", testing::corridor());
  f.limits(2, 100);
  EXPECT_THROW(f.s.search(), ProgramExit);
  // T = 1 .. 4 end with fewer forward commands than the target is far away:
  // only T = 5 is run.
  EXPECT_EQ(f.s.fast.runs, 1u);
  EXPECT_EQ(f.out(), head(100, 10) + "0,1,1,0\n" + kHint + head(100, 10) + kTemplate +
                         "[1]=\n[2]=s\n[3]=X\n[4]=\nT=5\n4steps!! clear!!\n");
}

TEST(CounterSearch, KeyShowsThePositionWithItsCount) {
  CounterFixture f;
  f.limits(2, 24);
  f.h.keys.inject('a');  // seen after the first candidate, which is not run
  int run = 0;
  f.s.on_run = [&](CounterSearch&) {
    if (run++ == 0) f.h.keys.inject('b');  // seen after the first candidate run
  };
  f.s.search();
  EXPECT_EQ(f.s.candidates, 28u);
  const std::string position0 =
      head(24, 10) + kTemplate + "[1]=\n[2]=s\n[3]=s\n[4]=\nT=0\n" + kHint;
  const std::string position20 =
      head(24, 10) + kTemplate + "[1]=\n[2]=s\n[3]=X\n[4]=\nT=20\n" + kHint;
  EXPECT_EQ(f.out(), head(24, 10) + "0,1,1,0\n" + kHint + position0 + position20 + head(24, 10) +
                         "0,0,1,1\n" + kHint + head(24, 10) + "search_end\n\n");
}

TEST(CounterSearch, PauseWaitsForResume) {
  CounterFixture f("x\nr\n");
  f.limits(2, 24);
  f.h.keys.inject('p');
  f.s.search();
  EXPECT_EQ(f.s.candidates, 28u);
  const std::string out = f.out();
  EXPECT_NE(out.find("T=0\nr：再開，q:終了\n" + std::string(kHint)), std::string::npos) << out;
  EXPECT_TRUE(out.ends_with("search_end\n\n"));
}

TEST(CounterSearch, ResumedSearchStartsWithTheResumptionCandidate) {
  // Budget 4 from (0,1,2,1): the odometer steps on from the loaded fragments.
  CounterFixture f;
  f.limits(4, 24);
  f.s.lim.restart = 1;
  CounterFixture::set(f.s.resj, "");
  CounterFixture::set(f.s.resa, "l");
  CounterFixture::set(f.s.resjj, "lX");
  CounterFixture::set(f.s.resaa, "r");
  RunLog log;
  log.attach(f.s);
  f.s.search();
  EXPECT_EQ(f.s.lim.restart, 0);
  ASSERT_GE(log.run.size(), 3u);
  EXPECT_EQ(log.run[0], (Candidate{"", "l", "lX", "r"}));
  EXPECT_EQ(log.run[1], (Candidate{"", "l", "XX", "r"}));
  EXPECT_EQ(log.run[2], (Candidate{"", "l", "Xs", "l"}));  // [4] steps on, [3] starts over
  const std::string out = f.out();
  EXPECT_EQ(out.find("0,1,2,1\n"), head(24, 12).size());
  EXPECT_LT(out.find("0,1,2,1\n"), out.find("0,0,2,2\n"));
  EXPECT_EQ(out.find("0,2,1,0\n"), std::string::npos);  // earlier distributions are not searched
}

}  // namespace
}  // namespace solver
