// The table and arena through which the workers of a pass share streams.
#include "shared_streams.hpp"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace solver {
namespace {

struct Entry {
  int key = 0;
  int value = 0;
};
struct BadHash {  // every key in one bucket: probing is what is tested
  std::size_t operator()(int) const { return 7; }
};
struct GoodHash {
  std::size_t operator()(int k) const { return static_cast<std::size_t>(k) * 2654435761U; }
};

TEST(SharedTable, FindsWhatWasPublishedKeepsTheFirstAndEmpties) {
  SharedTable<Entry, int, BadHash> table(5);  // 32 slots
  Entry a{1, 10}, b{2, 20}, again{1, 99};
  EXPECT_EQ(table.find(1), nullptr);
  EXPECT_TRUE(table.publish(&a));
  EXPECT_TRUE(table.publish(&b));  // the next slot along
  EXPECT_FALSE(table.publish(&again));
  ASSERT_NE(table.find(1), nullptr);
  EXPECT_EQ(table.find(1)->value, 10);
  EXPECT_EQ(table.find(2)->value, 20);
  EXPECT_EQ(table.find(3), nullptr);
  table.clear();
  EXPECT_EQ(table.find(1), nullptr);
  EXPECT_TRUE(table.publish(&again));
  EXPECT_EQ(table.find(1)->value, 99);
}

TEST(SharedTable, RefusesWhenFullInsteadOfLosingEntries) {
  SharedTable<Entry, int, GoodHash> table(4);  // 16 slots, half may fill
  std::vector<Entry> entries(16);
  int published = 0;
  for (int k = 0; k < 16; ++k) {
    entries[static_cast<std::size_t>(k)] = {k, k};
    if (table.publish(&entries[static_cast<std::size_t>(k)])) ++published;
  }
  EXPECT_EQ(published, 8);
  for (int k = 0; k < 16; ++k) {
    const Entry* e = table.find(k);
    if (e != nullptr) {
      EXPECT_EQ(e->value, k);
    }
  }
}

TEST(SharedTable, WorkersPublishingTheSameKeysAgreeOnOneEntryEach) {
  SharedTable<Entry, int, GoodHash> table(12);
  constexpr int kKeys = 1000;
  std::vector<std::vector<Entry>> mine(4, std::vector<Entry>(kKeys));
  std::vector<std::thread> threads;
  for (int w = 0; w < 4; ++w) {
    threads.emplace_back([&, w] {
      for (int k = 0; k < kKeys; ++k) {
        Entry& e = mine[static_cast<std::size_t>(w)][static_cast<std::size_t>(k)];
        e = {k, w};
        if (table.find(k) == nullptr) table.publish(&e);
      }
    });
  }
  for (std::thread& t : threads) t.join();
  for (int k = 0; k < kKeys; ++k) {
    const Entry* e = table.find(k);
    ASSERT_NE(e, nullptr) << k;
    EXPECT_EQ(e->key, k);
  }
}

TEST(StreamArena, HandsOutAlignedDisjointBytesUpToItsBudgetAndReusesThem) {
  StreamArena arena(std::size_t{3} << 20);  // three blocks
  auto* a = static_cast<std::byte*>(arena.allocate(100));
  auto* b = static_cast<std::byte*>(arena.allocate(1));
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(b) % 16, 0u);
  EXPECT_GE(b - a, 100);
  // Larger than a block: a block of its own.
  void* big = arena.allocate(std::size_t{2} << 20);
  EXPECT_NE(big, nullptr);
  EXPECT_EQ(arena.allocate(std::size_t{1} << 20), nullptr);  // over the budget
  arena.reset();
  EXPECT_EQ(arena.allocate(100), a);  // the same blocks again
  EXPECT_NE(arena.allocate(std::size_t{2} << 20), nullptr);
}

}  // namespace
}  // namespace solver
