// The order of the length distributions and their printed lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "counter_fixture.hpp"

namespace solver {
namespace {

using testing::CounterFixture;
using Lengths = std::array<int, 4>;  // [1], [2], [3], [4]

Lengths lengths(const CounterSearch& s) {
  return {s.j.length, s.a.length, s.jj.length, s.aa.length};
}

std::vector<Lengths> all_distributions(CounterFixture& f, int bytes) {
  f.limits(bytes, 100);
  std::vector<Lengths> v;
  f.s.get_firstlength();
  do {
    v.push_back(lengths(f.s));
  } while (f.s.get_newlength() != -1);
  return v;
}

TEST(CounterDistribution, WorkedExampleOfBudgetThree) {
  CounterFixture f;
  const std::vector<Lengths> expected = {{0, 2, 1, 0}, {0, 1, 1, 1}, {0, 0, 1, 2}, {0, 1, 2, 0},
                                         {0, 0, 2, 1}, {1, 1, 1, 0}, {1, 0, 1, 1}};
  EXPECT_EQ(all_distributions(f, 3), expected);
  EXPECT_EQ(f.s.get_newlength(), -1);  // stays at the end
  // Each distribution is printed with the time lines and the hint; the end prints nothing.
  const std::string head = std::string("0001,100msteps,0mlastfail,11bytes\n") + testing::kTime;
  std::string all;
  for (const Lengths& l : expected) {
    all += head + std::to_string(l[0]) + "," + std::to_string(l[1]) + "," + std::to_string(l[2]) +
           "," + std::to_string(l[3]) + "\n" + testing::kHint;
  }
  EXPECT_EQ(f.out(), all);
}

TEST(CounterDistribution, EveryAdmissibleSplitOnceInOrder) {
  for (int bytes = 2; bytes <= 8; ++bytes) {
    // Every split with [3] at least 1 and [2] or [4] not empty, ordered by
    // ([1], [3], [4]) with [2] taking the rest.
    std::vector<Lengths> expected;
    for (int l1 = 0; l1 <= bytes; ++l1)
      for (int l3 = 1; l1 + l3 <= bytes; ++l3)
        for (int l4 = 0; l1 + l3 + l4 <= bytes; ++l4) {
          const int l2 = bytes - l1 - l3 - l4;
          if (l2 + l4 >= 1) expected.push_back({l1, l2, l3, l4});
        }
    CounterFixture f;
    const std::vector<Lengths> got = all_distributions(f, bytes);
    EXPECT_EQ(got, expected) << "budget " << bytes;
    if (bytes == 2) {
      EXPECT_EQ(got, (std::vector<Lengths>{{0, 1, 1, 0}, {0, 0, 1, 1}}));
    }
    if (bytes == 4) {
      EXPECT_EQ(got.size(), 16u);
      for (const Lengths& skipped :
           std::vector<Lengths>{{0, 0, 4, 0}, {1, 0, 3, 0}, {2, 0, 2, 0}, {3, 0, 1, 0}}) {
        EXPECT_EQ(std::count(got.begin(), got.end(), skipped), 0);
      }
      EXPECT_EQ(got.back(), (Lengths{2, 0, 1, 1}));
    }
  }
}

TEST(CounterDistribution, ResumedSearchStartsFromTheResumptionLengths) {
  CounterFixture f;
  f.limits(4, 100);
  f.s.lim.restart = 1;
  CounterFixture::set(f.s.resj, "");
  CounterFixture::set(f.s.resa, "X");
  CounterFixture::set(f.s.resjj, "rX");
  CounterFixture::set(f.s.resaa, "l");
  f.fill("s", "s", "s", "s");
  f.s.get_firstlength();
  EXPECT_EQ(lengths(f.s), (Lengths{0, 1, 2, 1}));
  EXPECT_EQ(f.s.jj.code, "s");  // loaded later, by the innermost level
  EXPECT_NE(f.out().find("0,1,2,1\n"), std::string::npos);
  EXPECT_EQ(f.s.get_newlength(), 0);
  EXPECT_EQ(lengths(f.s), (Lengths{0, 0, 2, 2}));
}

TEST(CounterDistribution, OddResumptionLengthsStillEnd) {
  // An empty [3] reaches the usual order; the whole budget in [1] (refused
  // by the dialogue) ends at once instead of running away.
  for (const Lengths& start :
       std::vector<Lengths>{{0, 1, 0, 1}, {1, 0, 0, 1}, {0, 2, 0, 0}, {2, 0, 0, 0}}) {
    CounterFixture f;
    f.limits(2, 100);
    f.s.lim.restart = 1;
    f.s.resj.length = start[0];
    f.s.resa.length = start[1];
    f.s.resjj.length = start[2];
    f.s.resaa.length = start[3];
    f.s.get_firstlength();
    int steps = 0;
    while (f.s.get_newlength() != -1 && ++steps < 100) {
      for (const int n : lengths(f.s)) EXPECT_GE(n, 0);
    }
    EXPECT_LT(steps, 100);
  }
}

}  // namespace
}  // namespace solver
