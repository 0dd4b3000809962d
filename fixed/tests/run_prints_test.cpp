// Prints of runs: a candidate's print is that of the commands its run may
// execute, and a search that skips candidates repeating an earlier run's
// commands finds what it finds without skipping them.
#include <gtest/gtest.h>

#include <map>
#include <random>

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
  std::mt19937 rng(seed);
  const auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  const std::string function_alphabet = std::string("srl") + std::string("XYZ").substr(0, N);
  const auto fragment = [&](const std::string& alphabet, int len) {
    std::string f;
    for (int i = 0; i < len; ++i)
      f += alphabet[static_cast<std::size_t>(pick(static_cast<int>(alphabet.size())))];
    return f;
  };
  std::map<std::string, RunPrint> seen;
  std::map<std::array<std::uint64_t, 2>, std::string> by_print;
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

TEST(RunPrints, TableHoldsThePrintLastAddedAtASlot) {
  PrintTable t(4);
  const RunPrint a{{0x10, 1}};
  const RunPrint b{{0x20, 2}};  // the same slot
  EXPECT_FALSE(t.has(a));
  t.add(a);
  EXPECT_TRUE(t.has(a));
  EXPECT_FALSE(t.has(RunPrint{{0x10, 2}}));  // half of it
  t.add(b);
  EXPECT_TRUE(t.has(b));
  EXPECT_FALSE(t.has(a));
}

struct Searched {
  std::string out;
  int status = -1;
  SearchStats stats;
};

template <int N>
Searched search(const std::string& id, int entered, int msteps, int mlastfail, int threads,
                bool skip) {
  Bench<N> b(catalogue_grid(id), entered - FixedSearch<N>::kTemplateBytes, msteps, mlastfail);
  Searched r;
  b.h.c.threads = threads;
  b.h.c.stats = &r.stats;
  b.s->unit_candidates = 64;
  b.s->units_per_worker = 1;
  b.s->skip_repeats = skip;
  try {
    b.s->search();
  } catch (const ProgramExit& e) {
    r.status = e.status;
  }
  r.out = b.h.out.str();
  return r;
}

// Whole searches, one ending with a clear and two without, on one and two
// threads: the same lines and candidate counts with the repeats skipped as
// with all of them run, and fewer commands begun by those without.
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
  }
}

TEST(RunPrints, SameSearchWithRepeatedRunsSkipped) {
  same_search_with_repeats_skipped<3>("0003", 12, 10, 2);  // clears
  same_search_with_repeats_skipped<2>("0747", 11, 209, 0);
  same_search_with_repeats_skipped<1>("0745", 11, 812, 0);
}

}  // namespace
}  // namespace solver
