#include <gtest/gtest.h>

#include <sstream>

#include "fixed_harness.hpp"

namespace solver {
namespace {

using testing::Bench;
using testing::part;

template <int N>
std::string lengths(const FixedSearch<N>& s) {
  std::string out;
  for (int i = 0; i < FixedSearch<N>::kSlots; ++i)
    out += (i ? " " : "") + std::to_string(s.slot[i].length);
  return out;
}

// Every distribution that passes the fixed-length filter, in order, as the
// driver walks them.
template <int N>
std::vector<std::string> walk(FixedSearch<N>& s) {
  std::vector<std::string> out;
  s.get_firstlength();
  do {
    if (s.lenhantei() != -1) out.push_back(lengths(s));
  } while (s.get_newlength() != -1);
  return out;
}

template <int N>
std::vector<std::string> walk(int bytes) {
  Bench<N> b(testing::catalogue_grid("0001"), bytes);
  return walk(*b.s);
}

using List = std::vector<std::string>;

TEST(Distribution, WorkedExamples) {
  EXPECT_EQ(walk<1>(4), (List{"1 3 0 0", "1 2 0 1", "1 1 0 2", "1 0 0 3", "2 2 0 0", "2 1 0 1",
                              "2 0 0 2", "3 1 0 0", "3 0 0 1", "1 2 1 0", "1 1 1 1", "1 0 1 2",
                              "2 1 1 0", "2 0 1 1", "1 1 2 0", "1 0 2 1"}));
  EXPECT_EQ(walk<2>(4),
            (List{"1 2 1 0 0 0", "1 1 2 0 0 0", "1 1 1 0 1 0", "1 2 0 0 0 1", "1 1 1 0 0 1",
                  "1 1 0 0 1 1", "1 1 0 0 0 2", "2 1 1 0 0 0", "2 0 1 0 1 0", "2 1 0 0 0 1",
                  "2 0 0 0 1 1", "1 1 1 1 0 0", "1 1 0 1 0 1"}));
  EXPECT_EQ(walk<3>(4),
            (List{"1 1 1 1 0 0 0 0", "1 1 0 1 0 0 1 0", "1 1 1 0 0 0 0 1", "1 1 0 0 0 0 1 1"}));
  EXPECT_EQ(walk<1>(2), (List{"1 1 0 0", "1 0 0 1"}));
}

TEST(Distribution, CountsPerBudget) {
  for (int bytes = 2; bytes <= 6; ++bytes) {
    const std::size_t one[] = {2, 7, 16, 30, 50};
    EXPECT_EQ(walk<1>(bytes).size(), one[bytes - 2]) << bytes;
  }
  for (int bytes = 3; bytes <= 6; ++bytes) {
    const std::size_t two[] = {2, 13, 45, 116};
    EXPECT_EQ(walk<2>(bytes).size(), two[bytes - 3]) << bytes;
  }
  for (int bytes = 4; bytes <= 6; ++bytes) {
    const std::size_t three[] = {4, 32, 137};
    EXPECT_EQ(walk<3>(bytes).size(), three[bytes - 4]) << bytes;
  }
}

// The visiting order is the increasing order of the key (main line, body,
// first-call arguments from the last, recursive-call arguments from the
// last), [2] taking what is left, every valid distribution once.
TEST(Distribution, OrderAndValidityForLargerBudgets) {
  Bench<3> b(testing::catalogue_grid("0001"), 9);
  FixedSearch<3>& s = *b.s;
  std::vector<std::vector<int>> keys;
  s.get_firstlength();
  do {
    const auto& L = s.slot;
    int sum = 0;
    for (const code_parts& p : L) {
      ASSERT_GE(p.length, 0);
      sum += p.length;
    }
    ASSERT_EQ(sum, 9);
    ASSERT_GE(L[0].length, 1);
    ASSERT_TRUE(L[1].length != 0 || L[5].length != 0);
    ASSERT_TRUE(L[1].length != 0 || L[0].length != 1);
    ASSERT_TRUE(L[2].length != 0 || L[6].length != 0);
    ASSERT_TRUE(L[3].length != 0 || L[7].length != 0);
    keys.push_back({L[4].length, L[0].length, L[7].length, L[6].length, L[5].length, L[3].length,
                    L[2].length});
  } while (s.get_newlength() != -1);
  for (std::size_t i = 1; i < keys.size(); ++i) ASSERT_LT(keys[i - 1], keys[i]);
  // Brute force: every valid distribution of 9 bytes is visited.
  std::size_t valid = 0;
  for (int jj = 0; jj <= 9; ++jj)
    for (int j = 1; j + jj <= 9; ++j)
      for (int cc = 0; j + jj + cc <= 9; ++cc)
        for (int bb = 0; j + jj + cc + bb <= 9; ++bb)
          for (int aa = 0; j + jj + cc + bb + aa <= 9; ++aa)
            for (int c = 0; j + jj + cc + bb + aa + c <= 9; ++c)
              for (int bl = 0; j + jj + cc + bb + aa + c + bl <= 9; ++bl) {
                const int a = 9 - (j + jj + cc + bb + aa + c + bl);
                if ((a || aa) && (a || j != 1) && (bl || bb) && (c || cc)) ++valid;
              }
  EXPECT_EQ(keys.size(), valid);
}

TEST(Distribution, FirstDistributionSetsAllS) {
  Bench<3> b(testing::catalogue_grid("0001"), 7);
  b.fill({"XY", "", "", "", "rr", "", "", ""});
  b.s->slot[4].fixed = 1;
  b.s->get_firstlength();
  EXPECT_EQ(lengths(*b.s), "1 4 1 1 0 0 0 0");
  EXPECT_EQ(b.s->slot[0].code, "s");
  EXPECT_EQ(b.s->slot[1].code, "ssss");
  EXPECT_EQ(b.s->slot[1].scount, 4);
  EXPECT_EQ(b.s->slot[4].code, "rr");  // fixed: untouched
}

TEST(Distribution, FixedLengthFilter) {
  // [3] of solver2 fixed to a two-character fragment: only the distributions
  // giving it two characters, in the same order.
  Bench<2> b(testing::catalogue_grid("0001"), 4);
  b.s->slot[2] = part("Xs");
  b.s->slot[2].fixed = 1;
  b.s->fixlen[2] = 2;
  List expected;
  for (const std::string& d : walk<2>(4)) {
    if (d[4] == '2') expected.push_back(d);
  }
  EXPECT_EQ(expected, (List{"1 1 2 0 0 0"}));
  EXPECT_EQ(walk(*b.s), expected);

  // Everything fixed: the one matching distribution is searched only when it
  // is valid or the first one.
  Bench<1> all(testing::catalogue_grid("0001"), 4);
  const char* codes[] = {"X", "", "sss", ""};  // 1 0 3 0: invalid, not first
  for (int i = 0; i < 4; ++i) {
    all.s->slot[i] = part(codes[i]);
    all.s->slot[i].fixed = 1;
    all.s->fixlen[i] = all.s->slot[i].length;
  }
  EXPECT_TRUE(walk(*all.s).empty());
  const char* first[] = {"X", "sss", "", ""};  // 1 3 0 0: the first one
  for (int i = 0; i < 4; ++i) {
    all.s->slot[i] = part(first[i]);
    all.s->slot[i].fixed = 1;
    all.s->fixlen[i] = all.s->slot[i].length;
  }
  EXPECT_EQ(walk(*all.s), (List{"1 3 0 0"}));
}

TEST(Distribution, ResumedFirstDistribution) {
  Bench<1> b(testing::catalogue_grid("0001"), 4, 1, 0, 1);
  const char* res[] = {"Xs", "r", "", "s"};
  for (int i = 0; i < 4; ++i) b.s->res[i] = part(res[i]);
  b.s->slot[0] = part("X");
  b.s->get_firstlength();
  EXPECT_EQ(lengths(*b.s), "2 1 0 1");
  EXPECT_EQ(b.s->slot[0].code, "X");  // the odometer loads the fragments
  const List all = walk<1>(4);
  List rest(all.begin() + 5, all.end());
  List seen;
  do seen.push_back(lengths(*b.s));
  while (b.s->get_newlength() != -1);
  EXPECT_EQ(seen, rest);

  // Resuming from an empty body reaches a body of one through the carry.
  Bench<1> empty(testing::catalogue_grid("0001"), 4, 1, 0, 1);
  const char* from[] = {"", "ss", "", "ss"};
  for (int i = 0; i < 4; ++i) empty.s->res[i] = part(from[i]);
  empty.s->get_firstlength();
  ASSERT_EQ(empty.s->get_newlength(), 0);
  EXPECT_EQ(lengths(*empty.s), "0 1 0 3");
  ASSERT_EQ(empty.s->get_newlength(), 0);
  EXPECT_EQ(lengths(*empty.s), "0 0 0 4");
  ASSERT_EQ(empty.s->get_newlength(), 0);
  EXPECT_EQ(lengths(*empty.s), "1 3 0 0");
}

TEST(Distribution, EmptyBodyWithTheWholeMainLineEnds) {
  Bench<2> b(testing::catalogue_grid("0001"), 4, 1, 0, 1);
  b.s->res[3] = part("ssss");
  b.s->get_firstlength();
  EXPECT_EQ(b.s->get_newlength(), -1);
  for (const code_parts& p : b.s->slot) EXPECT_GE(p.length, 0);
}

TEST(Distribution, PrintedLine) {
  Bench<3> b(testing::catalogue_grid("0003"), 7, 100, 5);
  b.s->get_firstlength();
  b.s->print_length();
  EXPECT_EQ(b.h.out.str(),
            "0003,100msteps,5mlastfail,13bytes\nTue Dec  8 15:43:33 2026\n1,4,1,1,0,0,0,0\n"
            "何かキーを押すと検索位置を出力します．pを押すと中断します．\n\n");
}

}  // namespace
}  // namespace solver
