// The exact sets that remember the streams and nodes already walked.
#include "byte_strings.hpp"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

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

TEST(SeenPairs, KeysDifferingInOneBitOfEitherWordAreApartAcrossGrowth) {
  SeenPairs set(std::size_t{64} << 20);
  std::vector<std::pair<std::uint64_t, std::uint64_t>> keys;
  for (std::uint64_t i = 1; i <= 20000; ++i) {
    keys.push_back({i << 32, 0});                 // only the high word
    keys.push_back({0, i});                       // only the low word
    keys.push_back({i << 32, std::uint64_t{1}});  // both
  }
  for (const auto& [hi, lo] : keys) EXPECT_TRUE(set.add(hi, lo));
  EXPECT_EQ(set.size(), keys.size());
  for (const auto& [hi, lo] : keys) EXPECT_FALSE(set.add(hi, lo));
  EXPECT_TRUE(set.add(std::uint64_t{1} << 63, 0));
}

TEST(SeenPairs, ForgetsEverythingRatherThanPassItsBudget) {
  SeenPairs set(std::size_t{256} << 10);  // 16384 pairs
  std::size_t most = 0;
  for (std::uint64_t i = 1; i <= 30000; ++i) {
    EXPECT_TRUE(set.add(i, i));
    most = std::max(most, set.held());
  }
  EXPECT_LE(most, std::size_t{256} << 10);
  EXPECT_LT(set.size(), 30000u);
  EXPECT_TRUE(set.add(1, 1));  // forgotten, so new again
}

}  // namespace
}  // namespace solver
