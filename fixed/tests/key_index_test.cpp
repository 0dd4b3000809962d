// The index of a worker's own cache of streams, and the ids of keys.
#include "key_index.hpp"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <vector>

namespace solver {
namespace {

struct BadHash {  // every key in one bucket: probing is what is tested
  std::size_t operator()(int) const { return 7; }
};
struct GoodHash {
  std::size_t operator()(int k) const { return static_cast<std::size_t>(k) * 2654435761U; }
};

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
      index.drop(old, at);
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

// Ids of keys met at random in a table of four entries with keys that
// share entries: a key keeps its id while its entry keeps it, and no id
// ever stands for two keys, also after a key has been let go of.
TEST(KeyIds, NoIdStandsForTwoKeys) {
  struct Mod4 {
    std::size_t operator()(int k) const { return static_cast<std::size_t>(k) % 4; }
  };
  KeyIds<int, Mod4, 2> ids;
  std::map<std::uint64_t, int> key_of;
  std::map<int, std::uint64_t> last_id;
  std::mt19937 rng(4);
  for (int step = 0; step < 5000; ++step) {
    const int key = static_cast<int>(rng() % 12);
    const std::uint64_t id = ids.id(key);
    ASSERT_NE(id, 0U);
    const auto [it, fresh] = key_of.emplace(id, key);
    ASSERT_EQ(it->second, key) << step;
    // Met again at once, it keeps its id.
    ASSERT_EQ(ids.id(key), id);
    if (!fresh) {
      ASSERT_EQ(last_id[key], id);
    }
    last_id[key] = id;
  }
  // Keys 1 and 5 share an entry: each takes a new id on coming back.
  const std::uint64_t one = ids.id(1);
  const std::uint64_t five = ids.id(5);
  EXPECT_NE(ids.id(1), one);
  EXPECT_NE(ids.id(5), five);
}

}  // namespace
}  // namespace solver
