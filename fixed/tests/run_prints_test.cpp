// Prints of runs: a candidate's print is that of the commands its run may
// execute, and a search that skips candidates repeating an earlier run's
// commands finds what it finds without skipping them.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <random>
#include <set>

#include "fixed_harness.hpp"
#include "literal.hpp"

namespace solver {
namespace {

using testing::Bench;
using testing::catalogue_grid;
using List = std::vector<std::string>;

// A robot that never clears and writes down every command it begins, up to
// the one the step limit refuses: run by the literal interpreter, it yields
// every command a run of the candidate may execute.
struct RecordingRobot {
  int msteps = 0;
  int steps = 0;
  bool cleared = false;
  std::string commands;
  void reset() {
    steps = 0;
    commands.clear();
  }
  int command(char ch) {
    if (++steps >= msteps) return -1;
    commands += ch;
    return 0;
  }
  int go_straight() { return command('s'); }
  int turn_right() { return command('r'); }
  int turn_left() { return command('l'); }
};

// Random candidates of commands and letters where the template takes them,
// with a main-line prefix of commands, and random step limits: the print of
// each equals that of the commands the literal interpreter begins, and two
// candidates share a print exactly when they begin the same commands.
template <int N>
void prints_follow_the_commands(unsigned seed, int trials) {
  using Search = FixedSearch<N>;
  testing::Draws draws(seed);
  const auto pick = [&](int n) { return draws.pick(n); };
  const auto fragment = [&](const std::string& a, int len) { return draws.fragment(a, len); };
  const std::string function_alphabet = testing::function_alphabet(N);
  std::map<std::string, RunPrint> seen;
  std::map<std::uint64_t, std::string> by_print;
  int printed = 0;
  for (int trial = 0; trial < trials; ++trial) {
    List slots(Search::kSlots);
    for (int i = 0; i < Search::kSlots; ++i) {
      slots[i] = fragment(i <= N ? function_alphabet : "srl", pick(i <= N ? 5 : 3));
    }
    const int msteps = 1 + pick(120);
    Bench<N> b(testing::open_grid(), 4, msteps, 0);
    b.fill(slots);
    b.s->start_stream();
    if (!b.s->prints_stream()) continue;
    b.s->prepare_commands(true);
    const RunPrint print = b.s->candidate_print();
    RecordingRobot r;
    r.msteps = msteps;
    literal_run<N>(r, slots, literal_levels<N>(msteps));
    std::string shown;
    for (const std::string& s : slots) shown += "[" + s + "]";
    ASSERT_EQ(print, b.s->commands_print(r.commands)) << shown << " msteps " << msteps;
    const auto [at, fresh] = seen.emplace(r.commands, print);
    if (!fresh) {
      ASSERT_EQ(at->second, print) << shown;
    }
    const auto [other, new_print] = by_print.emplace(print.v, r.commands);
    ASSERT_EQ(other->second, r.commands) << shown;
    ++printed;
  }
  EXPECT_GT(printed, trials / 2);
  EXPECT_LT(seen.size(), static_cast<std::size_t>(printed)) << "no two runs alike";
}

TEST(RunPrints, PrintIsThatOfTheCommandsTheRunMayExecute) {
  prints_follow_the_commands<1>(21, 3000);
  prints_follow_the_commands<2>(22, 3000);
  prints_follow_the_commands<3>(23, 3000);
}

// The same through the stream cache of one search per step limit, where
// slots of other letters that make the same stream take its weights from
// the stream weighed first (and must not take those of a stream that only
// hashes alike or that its cache entry no longer holds).
template <int N>
void cached_prints_follow_the_commands(unsigned seed, int trials, bool long_runs = false) {
  using Search = FixedSearch<N>;
  testing::Draws draws(seed);
  const std::string function_alphabet = testing::function_alphabet(N);
  std::map<int, std::unique_ptr<Bench<N>>> searches;
  std::uint64_t twins = 0;
  for (int trial = 0; trial < trials; ++trial) {
    List slots(Search::kSlots);
    for (int i = 0; i < Search::kSlots; ++i) {
      slots[i] = draws.fragment(i <= N ? function_alphabet : "srl", draws.pick(i <= N ? 4 : 2));
    }
    const int msteps = long_runs ? 30 + 15 * draws.pick(8) : 4 + 7 * draws.pick(4);
    auto& b = searches[msteps];
    if (!b) b = std::make_unique<Bench<N>>(testing::open_grid(), 4, msteps, 0);
    b->fill(slots);
    b->s->ensure_stream();
    if (!b->s->prints_stream()) continue;
    b->s->prepare_commands(true);
    RecordingRobot r;
    r.msteps = msteps;
    literal_run<N>(r, slots, literal_levels<N>(msteps));
    std::string shown;
    for (const std::string& f : slots) shown += "[" + f + "]";
    ASSERT_EQ(b->s->candidate_print(), b->s->commands_print(r.commands))
        << shown << " msteps " << msteps;
  }
  for (const auto& [msteps, b] : searches) twins += b->s->twin_weights;
  if (!long_runs) {
    EXPECT_GT(twins, static_cast<std::uint64_t>(trials / 20));
  }
}

TEST(RunPrints, CachedStreamsTakeTheWeightsOfTheirTwins) {
  cached_prints_follow_the_commands<1>(24, 4000);
  cached_prints_follow_the_commands<2>(25, 4000);
  cached_prints_follow_the_commands<3>(26, 4000);
}

// Long runs, where the values of a call often come back a few calls later
// (arguments that swap or rotate): the stream then repeats the commands of
// those calls to its end.
TEST(RunPrints, CachedStreamsOfLongRunsFollowTheCommands) {
  cached_prints_follow_the_commands<2>(27, 3000, true);
  cached_prints_follow_the_commands<3>(28, 3000, true);
}

// Random nodes of the last function slot's level, with short step limits
// (so that many characters never run and many nodes meet again): two nodes
// of the same subtree print and step limit hold the same set of candidate
// prints (every
// combination of main-line fragments the closing judgement lets through),
// and many nodes share one.
TEST(RunPrints, SubtreesOfOnePrintHoldTheSameCandidatePrints) {
  using Search = FixedSearch<2>;
  testing::Draws draws(31);
  const auto pick = [&](int n) { return draws.pick(n); };
  // By step limit (the same for every node of a search) and subtree print.
  std::map<std::pair<int, std::uint64_t>, std::set<std::uint64_t>> by_subtree;
  int nodes = 0;
  for (int trial = 0; trial < 3000; ++trial) {
    List slots(Search::kSlots);
    for (int i = 0; i <= 2; ++i) {
      for (int k = pick(4); k > 0; --k) slots[i] += "srlXY"[pick(5)];
    }
    std::vector<int> lengths(Search::kSlots, 0);
    for (int i = Search::kMain; i < Search::kSlots; ++i) lengths[i] = pick(3);
    const int msteps = 3 + 3 * pick(2);
    Bench<2> b(testing::open_grid(), 4, msteps, 0);
    b.fill(slots);
    for (int i = Search::kMain; i < Search::kSlots; ++i) {
      b.s->slot[i].length = lengths[i];
      getsss(b.s->slot[i]);
    }
    b.s->start_stream();
    if (!b.s->prints_stream()) continue;
    std::size_t main_from = 1;
    for (int i = 0; i <= 2; ++i) {
      main_from += static_cast<std::size_t>(b.s->slot[i].scount + b.s->slot[i].turncount);
    }
    const RunPrint subtree = b.s->node_print(main_from);
    std::set<std::uint64_t> prints;
    code_parts& aa = b.s->slot[Search::kMainArg];
    code_parts& bb = b.s->slot[Search::kMainArg + 1];
    code_parts& jj = b.s->slot[Search::kMain];
    do {
      do {
        if (b.s->closing_hantei() == -1) continue;
        do {
          b.s->prepare_commands(true);
          prints.insert(b.s->candidate_print().v);
        } while (getnew0(jj) != -1);
      } while (getnew0(bb) != -1);
    } while (getnew0(aa) != -1);
    const auto [at, fresh] = by_subtree.emplace(std::make_pair(msteps, subtree.v), prints);
    if (!fresh) {
      std::string shown;
      for (const std::string& f : slots) shown += "[" + f + "]";
      ASSERT_EQ(at->second, prints) << shown;
    }
    ++nodes;
  }
  EXPECT_LT(by_subtree.size() * 2, static_cast<std::size_t>(nodes));
}

// A search keeps, with each stream, the part of its subtrees' prints that
// does not depend on the node: a search that has held other streams before
// (in the same memory, and through its cache) gives each node the print a
// fresh one gives it.
template <int N>
void reused_streams_print_as_fresh(unsigned seed) {
  using Search = FixedSearch<N>;
  testing::Draws draws(seed);
  const auto pick = [&](int n) { return draws.pick(n); };
  const std::string function_alphabet = testing::function_alphabet(N);
  std::map<int, std::unique_ptr<Bench<N>>> searches;
  int printed = 0;
  for (int trial = 0; trial < 1500; ++trial) {
    List slots(Search::kSlots);
    for (int i = 0; i <= N; ++i) slots[i] = draws.fragment(function_alphabet, pick(4));
    std::vector<int> lengths(Search::kSlots, 0);
    for (int i = Search::kMain; i < Search::kSlots; ++i) lengths[i] = pick(3);
    const int msteps = 3 + 4 * pick(3);
    const bool cached = pick(2) == 0;
    const auto node = [&](Bench<N>& b) {
      b.fill(slots);
      for (int i = Search::kMain; i < Search::kSlots; ++i) {
        b.s->slot[i].length = lengths[i];
        getsss(b.s->slot[i]);
      }
      // Through the cache, or in the search's own stream.
      if (cached) {
        b.s->ensure_stream();
      } else {
        b.s->ensure_stream(false);
      }
      std::size_t main_from = 1;
      for (int i = 0; i <= N; ++i) {
        main_from += static_cast<std::size_t>(b.s->slot[i].scount + b.s->slot[i].turncount);
      }
      return b.s->prints_stream() ? std::optional<RunPrint>(b.s->node_print(main_from))
                                  : std::nullopt;
    };
    auto& reused = searches[msteps];
    if (!reused) reused = std::make_unique<Bench<N>>(testing::open_grid(), 4, msteps, 0);
    const std::optional<RunPrint> print = node(*reused);
    Bench<N> fresh(testing::open_grid(), 4, msteps, 0);
    ASSERT_EQ(print.has_value(), node(fresh).has_value());
    if (!print) continue;
    std::string shown;
    for (const std::string& f : slots) shown += "[" + f + "]";
    ASSERT_EQ(*print, *node(fresh)) << shown << " msteps " << msteps;
    ++printed;
  }
  EXPECT_GT(printed, 500);
}

TEST(RunPrints, SubtreePrintsOfReusedStreamsAreThoseOfAFreshSearch) {
  reused_streams_print_as_fresh<1>(41);
  reused_streams_print_as_fresh<2>(42);
  reused_streams_print_as_fresh<3>(43);
}

TEST(RunPrints, TableHoldsThePrintLastAddedAtASlot) {
  PrintTable t(4);
  const RunPrint a{0x10};
  const RunPrint b{0x20};  // the same slot
  EXPECT_FALSE(t.has(a));
  t.add(a);
  EXPECT_TRUE(t.has(a));
  EXPECT_FALSE(t.has(RunPrint{0x110}));  // the same slot, another print
  t.add(b);
  EXPECT_TRUE(t.has(b));
  EXPECT_FALSE(t.has(a));
  // A print of 0 (the mark of an empty slot) is kept all the same.
  EXPECT_FALSE(t.has(RunPrint{0}));
  t.add(RunPrint{0});
  EXPECT_TRUE(t.has(RunPrint{0}));
}

// The table starts narrow and widens by four as its users report it more
// than half full, up to its size, keeping what it holds (a print whose slot
// another takes at the new width may be lost, never mistaken for another).
TEST(RunPrints, TableWidensAsItFills) {
  PrintTable t(16, 12);
  EXPECT_EQ(t.slots(), 4096u);
  t.widen(2048);
  EXPECT_EQ(t.slots(), 4096u);
  const RunPrint a{0x1234};
  t.add(a);
  EXPECT_TRUE(t.has(a));
  const RunPrint c{0x1234 + 4096 + 1};
  t.add(c);
  t.widen(2049);
  EXPECT_EQ(t.slots(), 16384u);
  EXPECT_TRUE(t.has(a));
  EXPECT_TRUE(t.has(c));
  const RunPrint b{0x1234 + 4096};  // a's slot when narrow, another now
  EXPECT_FALSE(t.has(b));
  t.add(b);
  EXPECT_TRUE(t.has(b));
  EXPECT_TRUE(t.has(a));
  t.widen(1u << 30);
  EXPECT_EQ(t.slots(), 65536u);
  EXPECT_TRUE(t.has(a) && t.has(b) && t.has(c));
  EXPECT_FALSE(t.has(RunPrint{0x1234 + 65536}));
}

struct Searched {
  std::string out;
  int status = -1;
  SearchStats stats;
  std::uint64_t subtrees = 0;  // skipped by the main search's own walk
};

template <int N>
Searched search(const std::string& id, int entered, int msteps, int mlastfail, int threads,
                bool skip) {
  Bench<N> b(catalogue_grid(id), entered - FixedSearch<N>::kTemplateBytes, msteps, mlastfail);
  Searched r;
  b.h.c.threads = threads;
  b.h.c.stats = &r.stats;
  b.s->cutting.unit_candidates = 64;
  b.s->cutting.units_per_worker = 1;
  b.s->cutting.whole_units = 1;
  b.s->skip_repeats = skip;
  try {
    b.s->search();
  } catch (const ProgramExit& e) {
    r.status = e.status;
  }
  r.out = b.h.out.str();
  r.subtrees = b.s->subtrees_skipped;
  return r;
}

// Whole searches, one ending with a clear and two without, on one and two
// threads: the same lines and candidate counts with the repeats (single
// candidates and whole subtrees) skipped as with all of them run, and fewer
// commands begun by those without.
template <int N>
void same_search_with_repeats_skipped(const std::string& id, int entered, int msteps,
                                      int mlastfail) {
  for (const int threads : {1, 2}) {
    const Searched all = search<N>(id, entered, msteps, mlastfail, threads, false);
    const Searched skipped = search<N>(id, entered, msteps, mlastfail, threads, true);
    EXPECT_EQ(skipped.out, all.out) << id << " threads " << threads;
    EXPECT_EQ(skipped.status, all.status) << id;
    EXPECT_EQ(all.status == -1, id != "0003") << all.out;
    EXPECT_EQ(skipped.stats.candidates, all.stats.candidates) << id;
    if (all.status == -1) {
      EXPECT_LT(skipped.stats.commands, all.stats.commands) << id;
    }
    if (threads == 1) {
      EXPECT_EQ(all.subtrees, 0U);
      EXPECT_GT(skipped.subtrees, 0U) << id;
    }
  }
}

TEST(RunPrints, SameSearchWithRepeatedRunsSkipped) {
  same_search_with_repeats_skipped<3>("0003", 12, 10, 2);  // clears
  same_search_with_repeats_skipped<2>("0747", 11, 209, 0);
  same_search_with_repeats_skipped<1>("0745", 11, 812, 0);
}

// Many small searches that clear, on every map of the catalogue with
// targets near the start: the same first clear, at the same step, after the
// same candidates, with the repeats skipped.
TEST(RunPrints, SameFirstClearsWithRepeatsSkipped) {
  int clears = 0;
  for (const CatalogueEntry& e : kCatalogue) {
    const std::string id(e.id);
    const Searched all = search<2>(id, 12, 120, 0, 1, false);
    const Searched skipped = search<2>(id, 12, 120, 0, 1, true);
    EXPECT_EQ(skipped.out, all.out) << id;
    EXPECT_EQ(skipped.stats.candidates, all.stats.candidates) << id;
    if (all.status != -1) ++clears;
  }
  EXPECT_GT(clears, 3) << clears;
}

}  // namespace
}  // namespace solver
