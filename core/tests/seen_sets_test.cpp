// The exact sets that remember the streams and nodes already walked.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "byte_strings.hpp"
#include "seen_pairs.hpp"

namespace solver {
namespace {

std::uint32_t intern(ByteStrings& set, const std::string& s, bool& added) {
  return set.intern(s.data(), s.size(), added);
}

TEST(ByteStrings, NumbersStringsInOrderAndTellsThemApartByEveryByte) {
  ByteStrings set(1 << 20);
  bool added = false;
  // Same length, a difference in the last byte, zero bytes, a prefix.
  const std::vector<std::string> strings = {std::string("ab\0c", 4), std::string("ab\0d", 4),
                                            std::string(9, '\0'), std::string(8, '\0'), "ab"};
  for (std::size_t i = 0; i < strings.size(); ++i) {
    EXPECT_EQ(intern(set, strings[i], added), i);
    EXPECT_TRUE(added);
  }
  for (std::size_t i = 0; i < strings.size(); ++i) {
    EXPECT_EQ(intern(set, strings[i], added), i);
    EXPECT_FALSE(added);
  }
  EXPECT_EQ(set.size(), strings.size());
  EXPECT_EQ(set.epoch(), 1u);
}

TEST(ByteStrings, ManyStringsStayExactAcrossGrowth) {
  ByteStrings set(std::size_t{64} << 20);
  std::mt19937 rng(7);
  std::vector<std::string> kept;
  for (int i = 0; i < 20000; ++i) {
    std::string s(1 + rng() % 40, '\0');
    for (char& ch : s) ch = static_cast<char>(rng() % 3);  // many near-equal strings
    kept.push_back(s);
  }
  std::vector<std::uint32_t> first(kept.size());
  std::size_t distinct = 0;
  for (std::size_t i = 0; i < kept.size(); ++i) {
    bool added = false;
    first[i] = intern(set, kept[i], added);
    if (added) ++distinct;
  }
  EXPECT_EQ(set.size(), distinct);
  for (std::size_t i = 0; i < kept.size(); ++i) {
    bool added = true;
    EXPECT_EQ(intern(set, kept[i], added), first[i]);
    EXPECT_FALSE(added);
  }
  EXPECT_EQ(set.epoch(), 1u);
}

TEST(ByteStrings, ForgetsEverythingRatherThanPassItsBudget) {
  ByteStrings set(8 << 10);
  std::uint64_t epochs = set.epoch();
  std::size_t most = 0;
  for (int i = 0; i < 2000; ++i) {
    const std::string s = "string " + std::to_string(i);
    EXPECT_TRUE(set.add(s.data(), s.size()));
    most = std::max(most, set.held());
    if (set.epoch() != epochs) {
      // Cleared just before this one was added: only it is known.
      EXPECT_EQ(set.size(), 1u);
      epochs = set.epoch();
    }
  }
  EXPECT_GT(set.epoch(), 1u);
  EXPECT_LE(most, std::size_t{8} << 10);
  // What was forgotten is new again.
  EXPECT_TRUE(set.add("string 0", 8));
}

struct Empty {};

TEST(SeenPairs, FindsRecentKeysExactlyAndKeepsTheirValues) {
  SeenPairs<int> set(std::size_t{8} << 20);
  // Keys differing in one bit of either word.
  for (std::uint64_t i = 1; i <= 100; ++i) {
    EXPECT_EQ(set.add(i << 32, 0, 1), nullptr);
    EXPECT_EQ(set.add(0, i, 2), nullptr);
    EXPECT_EQ(set.add(i << 32, 1, 3), nullptr);
  }
  for (std::uint64_t i = 1; i <= 100; ++i) {
    const int* a = set.add(i << 32, 0, 9);
    const int* b = set.add(0, i, 9);
    const int* c = set.add(i << 32, 1, 9);
    ASSERT_TRUE(a != nullptr && b != nullptr && c != nullptr) << i;
    EXPECT_EQ(*a, 1);
    EXPECT_EQ(*b, 2);
    EXPECT_EQ(*c, 3);
  }
}

TEST(SeenPairs, AFullTableForgetsButNeverFindsAKeyNotAdded) {
  SeenPairs<Empty> set(4096);  // 64 buckets of 4 keys
  EXPECT_LE(set.held(), 4096u);
  std::size_t found = 0;
  for (std::uint64_t i = 1; i <= 20000; ++i) EXPECT_TRUE(set.add(i, ~i));
  for (std::uint64_t i = 20000; i >= 1; --i) {
    if (!set.add(i, ~i)) ++found;
  }
  // The most recent keys are still there, most of the old ones not.
  EXPECT_GT(found, 100u);
  EXPECT_LT(found, 1000u);
  for (std::uint64_t i = 20001; i <= 20100; ++i) EXPECT_TRUE(set.add(i, ~i));
}

}  // namespace
}  // namespace solver
