// The table and arena through which the workers of a pass share streams,
// and the index of a worker's own cache of streams.
#include "shared_streams.hpp"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <thread>
#include <vector>

#include "key_index.hpp"

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

// Keys added, found and dropped at random, as a cache adds and evicts them,
// against a map: with every key in few buckets the runs of the table wrap
// round its end and dropping must move later entries back.
template <typename Hash>
void index_agrees_with_a_map(unsigned seed) {
  constexpr std::size_t kMost = 24;
  KeyIndex<int, Hash, kMost> index;
  std::vector<int> keys(kMost, -1);  // position -> key, as the cache holds them
  std::map<int, int> where;          // key -> position
  std::mt19937 rng(seed);
  for (int step = 0; step < 20000; ++step) {
    const int key = static_cast<int>(rng() % 60);
    const auto at = static_cast<int>(rng() % kMost);
    ASSERT_EQ(index.find(key, keys), where.count(key) ? where[key] : -1) << step;
    if (where.count(key) || rng() % 3 == 0) continue;
    // Position `at` takes the key: its old key is dropped first.
    const int old = keys[static_cast<std::size_t>(at)];
    if (old >= 0) {
      index.drop(old, at, keys);
      // Since a clear the old key may sit elsewhere too.
      if (where.count(old) && where[old] == at) where.erase(old);
    }
    keys[static_cast<std::size_t>(at)] = key;
    index.add(key, at);
    where[key] = at;
    if (step % 5000 == 4999) {
      // Emptied, with the positions still holding their old keys.
      index.clear();
      where.clear();
    }
  }
}

struct FewBuckets {  // homes 61, 62, 63, 0: runs wrap round the table's end
  std::size_t operator()(int k) const { return 61 + static_cast<std::size_t>(k) % 4; }
};

TEST(KeyIndex, AgreesWithAMapThroughAddsDropsAndClears) {
  index_agrees_with_a_map<BadHash>(1);
  index_agrees_with_a_map<FewBuckets>(2);
  index_agrees_with_a_map<GoodHash>(3);
}

}  // namespace
}  // namespace solver
