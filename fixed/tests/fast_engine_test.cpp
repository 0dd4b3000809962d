// The fast engine against the literal interpreter, and the search with one,
// two and eight threads.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <random>
#include <sstream>
#include <thread>

#include "fixed_harness.hpp"
#include "literal.hpp"
#include "reference_programs.hpp"

namespace solver {
namespace {

using solver::literal_candidate;
using solver::LiteralOutcome;
using testing::Bench;
using testing::catalogue_grid;
using testing::part;
using testing::search_status;
using List = std::vector<std::string>;

const std::map<std::string, Grid>& catalogue_grids() {
  static const std::map<std::string, Grid> grids = [] {
    std::map<std::string, Grid> m;
    for (const CatalogueEntry& e : kCatalogue)
      m[std::string(e.id)] = catalogue_grid(std::string(e.id));
    return m;
  }();
  return grids;
}

// Random candidates on random catalogue maps, half of them variations of a
// reference program of the template (so that many runs clear), half of them
// with targets swept: every outer combination builds its stream once and
// runs several main-line prefixes of one length against it, with the early
// stop on, and each run must end as the literal interpreter's does, at the
// same step on a clear; so must the same candidate run without a stream.
template <int N>
void compare_with_literal_interpreter(unsigned seed, int combinations) {
  using Search = FixedSearch<N>;
  testing::Draws draws(seed);
  const auto pick = [&](int n) { return draws.pick(n); };
  const auto fragment = [&](const std::string& a, int len) { return draws.fragment(a, len); };
  const std::string function_alphabet = testing::function_alphabet(N);
  std::vector<const testdata::ReferenceProgram*> refs;
  for (const auto& r : testdata::kReferencePrograms) {
    if (r.program == "solver" + std::to_string(N)) refs.push_back(&r);
  }
  ASSERT_FALSE(refs.empty());
  int clears = 0;
  int runs = 0;
  for (int trial = 0; trial < combinations; ++trial) {
    List slots(Search::kSlots);
    std::string id;
    int msteps = 0;
    int mlastfail = 0;
    if (pick(2) == 0) {
      const testdata::ReferenceProgram& r =
          *refs[static_cast<std::size_t>(pick(static_cast<int>(refs.size())))];
      id = std::string(r.id);
      for (int i = 0; i < Search::kSlots; ++i)
        slots[i] = std::string(r.slots[static_cast<std::size_t>(i)]);
      msteps = std::max(1, r.msteps + pick(5) - 2);
      mlastfail = std::max(0, r.mlastfail + pick(5) - 2);
      if (pick(2) == 0) {
        const int s = pick(Search::kSlots);
        if (s != Search::kMain) slots[s] = fragment(s <= N ? function_alphabet : "srl", pick(4));
      }
    } else {
      auto it = catalogue_grids().begin();
      std::advance(it, pick(static_cast<int>(catalogue_grids().size())));
      id = it->first;
      for (int i = 0; i < Search::kSlots; ++i) {
        const bool function_slot = i <= N;
        // Main-line arguments hold letters only when the user fixes them so.
        const std::string& alphabet = function_slot || pick(8) == 0 ? function_alphabet : "srl";
        slots[i] = fragment(alphabet, pick(5));
      }
      slots[Search::kMain] = fragment("srl", pick(4));
      msteps = 1 + pick(150);
      mlastfail = pick(2) == 0 ? 0 : pick(msteps + 1);
    }
    const Grid& g = catalogue_grids().at(id);
    Bench<N> b(g, 4, msteps, mlastfail);
    b.fill(slots);
    b.s->robot.prune = true;
    b.s->robot.collections_judged = true;
    b.s->robot.collections_swept = trial % 2 == 0;
    b.s->start_stream();
    // The same candidates without a stream, on a second engine so that the
    // first keeps its stream from candidate to candidate.
    Bench<N> d(g, 4, msteps, mlastfail);
    d.s->robot.prune = true;
    const auto vary = [&](int i, const std::string& alphabet) {
      slots[i] = fragment(alphabet, static_cast<int>(slots[i].size()));
      b.s->slot[i] = part(slots[i]);
    };
    const auto commands_only = [](const std::string& f) {
      return f.find_first_not_of("srl") == std::string::npos;
    };
    for (int k = 0; k < 6; ++k) {
      // Later candidates change the prefix, often the main-line arguments
      // (places of the same stream) and now and then a function slot (a
      // new stream), keeping every length.
      if (k > 0) {
        vary(Search::kMain, "srl");
        for (int p = 0; p < N; ++p) {
          const int i = Search::kMainArg + p;
          if (commands_only(slots[i]) && pick(2) == 0) vary(i, "srl");
        }
        if (pick(4) == 0) vary(pick(N + 1), function_alphabet);
      }
      b.s->ensure_stream();
      const RunEnd got = b.s->run_candidate(false, true);
      const LiteralOutcome want = literal_candidate<N>(g, slots, msteps, mlastfail);
      std::string shown = id;
      for (const std::string& s : slots) shown += " [" + s + "]";
      ASSERT_EQ(got == RunEnd::Cleared, want.cleared)
          << shown << " msteps " << msteps << " gray " << mlastfail;
      if (want.cleared) {
        ASSERT_EQ(b.s->robot.steps, want.steps) << shown;
        ++clears;
      }
      for (int i = 0; i < Search::kSlots; ++i) d.s->slot[i] = part(slots[i]);
      const RunEnd direct = d.s->run_direct();
      ASSERT_EQ(direct == RunEnd::Cleared, want.cleared) << shown << " direct";
      if (want.cleared) {
        ASSERT_EQ(d.s->robot.steps, want.steps) << shown << " direct";
      }
      ++runs;
    }
  }
  EXPECT_GT(clears, runs / 50) << "too few clears to tell";
}

TEST(FastEngine, SameOutcomeAndClearStepAsTheLiteralInterpreter) {
  compare_with_literal_interpreter<1>(11, 1500);
  compare_with_literal_interpreter<2>(12, 1500);
  compare_with_literal_interpreter<3>(13, 1500);
}

TEST(FastEngine, StreamOutgrowingItsWindowIsRebuilt) {
  // After the prefix the robot goes round a square of side 1 for ever.
  // With the prefix "r" the square never touches the target and the run
  // fails at the step limit, past the stream's window of 2^22 commands;
  // with "s" the square starts one cell up and meets the target at once.
  Grid g = testing::open_grid();
  g.k[13][11] = 'o';
  g.mappts = 1;
  Bench<1> b(g, 4, 5000000, 0);
  b.fill({"Xr", "X", "r", "s"});
  b.s->start_stream();
  EXPECT_EQ(b.s->run_candidate(), RunEnd::Failed);
  EXPECT_EQ(b.s->robot.steps, 5000000);
  b.s->slot[2] = part("s");
  EXPECT_EQ(b.s->run_candidate(), RunEnd::Cleared);
  EXPECT_EQ(b.s->robot.steps, 2);
  EXPECT_EQ(literal_candidate<1>(g, {"Xr", "X", "s", "s"}, 5000000, 0).steps, 2);
}

TEST(FastEngine, RobotGoingRoundALoopOfARepeatingStreamStopsEarly) {
  // An engine on a grid with one candidate's slots, its stream built.
  const auto engine = [](const Grid& g, const List& slots) {
    auto b = std::make_unique<Bench<1>>(g, 4, 3000, 0);
    b->fill(slots);
    b->s->start_stream();
    return b;
  };
  // From its second call on the stream repeats "sr": the robot goes round a
  // square of side 1 that holds one of the two targets.  It collects that
  // one on its first round and never the other: the run ends as a failure
  // within a few rounds instead of at the step limit.
  Grid g = testing::open_grid();
  g.k[14][12] = 'o';
  g.k[20][20] = 'o';
  g.mappts = 2;
  const List loop = {"Xr", "s", "", "s"};
  const auto b = engine(g, loop);
  EXPECT_EQ(b->s->run_candidate(false, true), RunEnd::Failed);
  EXPECT_LT(b->s->robot.steps, 60);
  EXPECT_EQ(b->s->run_candidate(), RunEnd::Failed);  // unwatched: to the limit
  EXPECT_EQ(b->s->robot.steps, 3000);
  EXPECT_EQ(b->s->robot.getpts, 1);
  EXPECT_FALSE(literal_candidate<1>(g, loop, 3000, 0).cleared);

  // A stream repeating "srsl" takes the robot up a staircase, a new cell
  // at every look: no loop is seen, and it clears at the tenth stair.
  Grid stairs = testing::open_grid();
  stairs.k[23][3] = 'o';
  stairs.mappts = 1;
  const List climb = {"Xsl", "sr", "", "sr"};
  const auto c = engine(stairs, climb);
  EXPECT_EQ(c->s->run_candidate(false, true), RunEnd::Cleared);
  const LiteralOutcome want = literal_candidate<1>(stairs, climb, 3000, 0);
  ASSERT_TRUE(want.cleared);
  EXPECT_EQ(c->s->robot.steps, want.steps);
}

TEST(FastEngine, RunWithJustEnoughForwardCommandsIsRun) {
  // Three targets in a row above the start and three commands at most: a
  // clear takes exactly as many forward commands as there are targets.
  Grid g = testing::open_grid();
  for (int y = 10; y <= 12; ++y) g.k[13][y] = 'o';
  g.mappts = 3;
  Bench<1> b(g, 4, 4, 0);
  EXPECT_EQ(search_status(b), 0);
  EXPECT_NE(b.h.out.str().find("3steps!! clear!!"), std::string::npos);
}

// Main-line prefixes that leave the robot where an earlier prefix of the
// same combination left it (same cell, heading and targets) are not run.
// The function here walks straight on for ever after the prefix.  Searches
// over the prefixes alone find the same first clear with the sharing on and
// off, also where an earlier prefix ends on the clearing prefix's cell with
// another heading ("lssl" clears) or other targets ("slsr"), and one that
// clears nothing runs fewer commands with it.  Resumed at every prefix
// ("lsrs" and, later, "slsr" end a cell up and left, facing up, with a
// target two cells further up), the same: a resumption between the two
// must run "slsr".
TEST(FastEngine, PrefixesLeavingTheRobotAsAnEarlierOneAreNotRun) {
  const auto search = [](const Grid& g, bool share, const std::string& resume, SearchStats& stats) {
    Bench<1> b(g, resume.empty() ? 10 : 8, 40, 0, resume.empty() ? 0 : 1);
    // Without a resumption, the slots but the prefix are fixed, with a turn
    // and its undoing for the last judgement.
    const std::string res[] = {"X", "Xs", resume, resume.empty() ? "srl" : "s"};
    for (int i = 0; i < 4; ++i) {
      b.s->res[i] = part(res[i]);
      if (resume.empty() && i != 2) {
        b.s->slot[i] = part(res[i]);
        b.s->slot[i].fixed = 1;
        b.s->fixlen[i] = static_cast<int>(res[i].size());
      }
    }
    b.s->share_prefixes = share;
    b.h.c.stats = &stats;
    const int status = search_status(b);
    return std::to_string(status) + "\n" + b.h.out.str();
  };
  // The start is at (13, 13).
  const auto targets = [](std::initializer_list<std::pair<int, int>> cells) {
    Grid g = testing::open_grid();
    for (const auto& [x, y] : cells) g.k[x][y] = 'o';
    g.mappts = static_cast<int>(cells.size());
    return g;
  };
  const std::pair<Grid, std::string> fixed[] = {{targets({{11, 15}}), "[3]=lssl"},
                                                {targets({{12, 9}, {13, 12}}), "[3]=slsr"},
                                                {targets({{1, 1}}), "search_end"}};
  for (const auto& [g, found] : fixed) {
    SearchStats on;
    SearchStats off;
    const std::string shared = search(g, true, "", on);
    EXPECT_EQ(shared, search(g, false, "", off)) << found;
    EXPECT_NE(shared.find(found), std::string::npos) << shared;
    EXPECT_EQ(on.candidates, off.candidates) << found;
    if (found == "search_end") {
      EXPECT_LT(on.commands, off.commands);
    }
  }
  const Grid g = targets({{12, 10}});
  code_parts prefix;
  prefix.length = 4;
  getsss(prefix);
  bool between = false;
  do {
    SearchStats on;
    SearchStats off;
    const std::string shared = search(g, true, prefix.code, on);
    EXPECT_EQ(shared, search(g, false, prefix.code, off)) << prefix.code;
    EXPECT_EQ(on.candidates, off.candidates) << prefix.code;
    if (prefix.code == "lsrs") between = true;
    if (prefix.code == "slsr") between = false;
    if (between && prefix.code != "lsrs") {
      EXPECT_NE(shared.find("[3]=slsr"), std::string::npos) << prefix.code;
    }
  } while (getnew0(prefix) != -1);
}

struct Searched {
  std::string out;
  int status = -1;  // -1: the search ended without a clear
  SearchStats stats;
};

// The engine's cutting with small units: every distribution that has a
// combination per worker is cut, unless `whole_units` says otherwise.
Cutting cuts(std::uint64_t unit_candidates, std::uint64_t units_per_worker,
             std::uint64_t units_per_thread, std::uint64_t whole_units = 1,
             std::uint64_t batch_units = 512, std::size_t batch_distributions = 4096) {
  return {unit_candidates, units_per_worker, units_per_thread,
          whole_units,     batch_units,      batch_distributions};
}

std::string name(const Cutting& c) {
  return std::to_string(c.unit_candidates) + "/" + std::to_string(c.units_per_worker) + "/" +
         std::to_string(c.units_per_thread) + "/" + std::to_string(c.whole_units) + "/" +
         std::to_string(c.batch_units) + "/" + std::to_string(c.batch_distributions);
}

template <int N>
Searched search_with(int threads, const std::string& id, int entered, int msteps, int mlastfail,
                     const Cutting& cutting = cuts(1, 1, 32)) {
  Bench<N> b(catalogue_grid(id), entered - FixedSearch<N>::kTemplateBytes, msteps, mlastfail);
  Searched r;
  b.h.c.threads = threads;
  b.h.c.stats = &r.stats;
  b.s->cutting = cutting;
  r.status = search_status(b);
  r.out = b.h.out.str();
  return r;
}

// The planner of a parallel search counts each distribution's candidates
// without walking its last levels (the function's last two slots looked up
// by what their judgements read before them): with room to count them all,
// as many as a walk that observes each one meets.  Map 0004 with a step
// limit of 14 clears nothing.
template <int N>
void planner_counts_as_walked(int bytes) {
  const auto lengths = [](const std::array<code_parts, FixedSearch<N>::kSlots>& slots) {
    std::string key;
    for (const code_parts& p : slots) key += std::to_string(p.length) + ",";
    return key;
  };
  Bench<N> walked(catalogue_grid("0004"), bytes, 14, 0);
  std::map<std::string, std::uint64_t> seen;
  walked.h.c.threads = 1;
  walked.s->on_candidate = [&](const FixedSearch<N>& f) { ++seen[lengths(f.slot)]; };
  walked.s->search();
  ASSERT_GT(seen.size(), 10u);
  Bench<N> planned(catalogue_grid("0004"), bytes, 14, 0);
  planned.h.c.threads = 2;
  planned.s->cutting.unit_candidates = std::uint64_t{1} << 40;
  planned.s->get_firstlength();
  bool started = false;
  std::size_t distributions = 0;
  while (planned.s->next_distribution(started)) {
    const auto d = planned.s->plan_distribution();
    const std::string key = lengths(d.slots);
    EXPECT_EQ(d.candidates, seen.count(key) != 0 ? seen[key] : 0) << N << ": " << key;
    distributions += seen.count(key);
  }
  EXPECT_EQ(distributions, seen.size());
}

TEST(ParallelSearch, PlannerCountsEachDistributionAsWalked) {
  planner_counts_as_walked<3>(7);
  planner_counts_as_walked<2>(7);
  planner_counts_as_walked<1>(8);
}

// Map 0004 (eight targets, far apart) with a step limit of 14: no
// combination of the function's slots leaves room for the forward moves a
// clear needs, so no candidate is run, yet every candidate is counted, as
// many as a walk that observes each one meets, with one thread or two.
TEST(FastEngine, CandidatesThatCannotClearAreCountedNotRun) {
  Bench<2> observed(catalogue_grid("0004"), 6, 14, 0);
  const std::size_t all = observed.candidates().size();
  ASSERT_GT(all, 1000u);
  for (const int threads : {1, 2}) {
    const Searched s = search_with<2>(threads, "0004", 6 + FixedSearch<2>::kTemplateBytes, 14, 0);
    EXPECT_EQ(s.status, -1);
    EXPECT_EQ(s.stats.candidates, all) << threads;
    EXPECT_EQ(s.stats.runs, all) << threads;
    EXPECT_EQ(s.stats.commands, 0u) << threads;
  }
}

// Nodes whose calls hold too few forward commands are counted without their
// stream being looked for (forward_bound.hpp): the same first clear, at the
// same candidate, as a walk that observes every candidate.
template <int N>
void bounded_as_observed(const std::string& id, int bytes, int msteps, bool clears) {
  Bench<N> observed(catalogue_grid(id), bytes, msteps, 0);
  std::uint64_t seen = 0;
  observed.s->on_candidate = [&seen](const FixedSearch<N>&) { ++seen; };
  const int observed_status = search_status(observed);
  Bench<N> b(catalogue_grid(id), bytes, msteps, 0);
  const int status = search_status(b);
  EXPECT_EQ(status, clears ? 0 : -1) << id;
  EXPECT_EQ(status, observed_status) << id;
  EXPECT_EQ(b.s->simulated, seen) << id;
  if (clears) {
    EXPECT_EQ(b.s->clear_steps(), observed.s->clear_steps()) << id;
  }
  EXPECT_GT(b.s->bounded_skips, seen / 100) << id;
}

TEST(FastEngine, NodesBoundedShortOfForwardCommandsAreCountedNotRun) {
  bounded_as_observed<1>("0009", 8, 336, true);
  bounded_as_observed<1>("0004", 8, 69, false);
  bounded_as_observed<2>("0006", 8, 47, true);
  bounded_as_observed<2>("0803", 7, 174, false);
}

// The slot lengths of the position printed from `from` on ("1,21,1,..."),
// or "" when the lines there are not `slots` slot lines.
std::string position_lengths(const std::string& out, std::size_t from, int slots) {
  std::istringstream position(out.substr(from));
  std::string lengths;
  std::string line;
  for (int n = 1; n <= slots; ++n) {
    const std::string slot = "[" + std::to_string(n) + "]=";
    if (!std::getline(position, line) || line.rfind(slot, 0) != 0) return "";
    lengths += (n > 1 ? "," : "") + std::to_string(line.size() - slot.size());
  }
  return lengths;
}

// A walk keeps the part of a stream's key that the slots before the last
// function slot and the sizes make, and adds the last slot's characters at
// each node: the key is the one worked out from scratch, as the slots move
// the way the odometer moves them (the last slot at every node, the others
// with a new generation), and also when sizes change under a generation.
template <int N>
void walked_keys_agree(unsigned seed) {
  using Search = FixedSearch<N>;
  testing::Draws draws(seed);
  const std::string function_alphabet = testing::function_alphabet(N);
  Bench<N> b(testing::open_grid(), 4, 60, 0);
  for (int outer = 0; outer < 400; ++outer) {
    List slots(Search::kSlots);
    for (int i = 0; i < N; ++i) slots[i] = draws.fragment(function_alphabet, draws.pick(6));
    for (int i = Search::kMain; i < Search::kSlots; ++i) {
      // Now and then a main-line argument with a letter: no key then.
      const bool letter = i > Search::kMain && draws.pick(10) == 0;
      slots[i] = draws.fragment(letter ? function_alphabet : "srl", draws.pick(4));
    }
    b.fill(slots);
    int length = draws.pick(8);
    for (int node = 0; node < 12; ++node) {
      if (draws.pick(8) == 0) length = draws.pick(8);
      b.s->slot[N] = part(draws.fragment(function_alphabet, length));
      if (draws.pick(8) == 0) {
        const int i = Search::kMain + draws.pick(N + 1);
        b.s->slot[i] = part(draws.fragment("srl", draws.pick(4)));
      }
      ASSERT_TRUE(b.s->walk_key_agrees()) << "seed " << seed << " outer " << outer;
    }
  }
}

TEST(FastEngine, WalkedStreamKeysAreThoseWorkedOutFromScratch) {
  walked_keys_agree<1>(51);
  walked_keys_agree<2>(52);
  walked_keys_agree<3>(53);
}

// A walk's builds keep the cut of the function's slots before the last one
// while their letters stay, whatever their commands become: each stream is
// the one built from scratch for the same slots.
template <int N>
void walked_streams_agree(unsigned seed) {
  using Search = FixedSearch<N>;
  testing::Draws draws(seed);
  const std::string function_alphabet = testing::function_alphabet(N);
  const auto other_commands = [&](std::string& code) {
    for (char& ch : code) {
      if (ch == 's' || ch == 'r' || ch == 'l') ch = "srl"[draws.pick(3)];
    }
  };
  for (int bench = 0; bench < 150; ++bench) {
    const int msteps = 1 + draws.pick(120);
    Bench<N> b(testing::open_grid(), 4, msteps, 0);
    // Slots filled anew (letters moved) under the same engine.
    for (int outer = 0; outer < 4; ++outer) {
      List slots(Search::kSlots);
      for (int i = 0; i < N; ++i) slots[i] = draws.fragment(function_alphabet, draws.pick(6));
      for (int i = Search::kMain; i < Search::kSlots; ++i) {
        slots[i] = draws.fragment("srl", draws.pick(4));
      }
      slots[N] = draws.fragment(function_alphabet, draws.pick(6));
      b.fill(slots);
      for (int node = 0; node < 10; ++node) {
        // As the odometer moves them with no generation bumped: the last
        // slot anything of its size, the slots before it other commands.
        slots[N] = draws.fragment(function_alphabet, static_cast<int>(slots[N].size()));
        b.s->slot[N] = part(slots[N]);
        for (int i = 0; i < N; ++i) {
          other_commands(slots[i]);
          b.s->slot[i] = part(slots[i]);
        }
        const std::string walked = b.s->walked_stream();
        Bench<N> fresh(testing::open_grid(), 4, msteps, 0);
        fresh.fill(slots);
        std::string shown = "msteps " + std::to_string(msteps) + ":";
        for (int i = 0; i <= N; ++i) shown += " [" + slots[i] + "]";
        ASSERT_EQ(walked, fresh.s->key_and_stream().second) << shown;
      }
    }
  }
}

TEST(FastEngine, WalkedStreamsAreThoseBuiltFromScratch) {
  walked_streams_agree<1>(61);
  walked_streams_agree<2>(62);
  walked_streams_agree<3>(63);
}

// The last argument slot's characters in another order: its letters, and
// its commands as one block (`whole_run`) or one by one.
std::string reordered(const std::string& code, bool whole_run, std::mt19937& rng) {
  std::vector<std::string> tokens;
  std::string run;
  for (const char ch : code) {
    if (whole_run && (ch == 's' || ch == 'r' || ch == 'l')) {
      run += ch;
    } else {
      tokens.emplace_back(1, ch);
    }
  }
  if (!run.empty()) tokens.push_back(run);
  std::shuffle(tokens.begin(), tokens.end(), rng);
  std::string out;
  for (const std::string& t : tokens) out += t;
  return out;
}

// Which characters of a slot are places (commands) and which letters: a
// stream of places does not tell one command from another.
std::string places_pattern(std::string code) {
  for (char& ch : code) ch = ch == 'r' || ch == 'l' ? 's' : ch;
  return code;
}

// Orders of the argument slots' characters share a key only when they make
// the same stream.  They do share one when the parameters that reach each
// slot's values hold commands in one run of one slot, and nothing else but
// their letters, and have empty main-line arguments: here, the slots of the
// parameters before the last without commands and every main-line argument
// empty, the last slot's run kept whole.  With the last parameter's
// main-line argument not empty, orders of its slot that differ have
// different keys.  The step limits cut values to their budgets as often as
// not.
template <int N>
void reordered_argument_slots_share_streams(unsigned seed) {
  using Search = FixedSearch<N>;
  testing::Draws draws(seed);
  const std::string function_alphabet = testing::function_alphabet(N);
  const std::string letters = std::string("XYZ").substr(0, N);
  int shared = 0;
  int apart = 0;
  for (int trial = 0; trial < 600; ++trial) {
    List slots(Search::kSlots);
    slots[0] = draws.fragment(function_alphabet, draws.pick(5));
    // The other parameters' slots: letters only, or anything.
    const bool quiet = draws.pick(2) == 0;
    for (int i = 1; i < N; ++i)
      slots[i] = draws.fragment(quiet ? letters : function_alphabet, draws.pick(4));
    for (int i = Search::kMain; i < Search::kSlots; ++i)
      slots[i] = draws.fragment("srl", draws.pick(3));
    const bool empty = draws.pick(4) != 0;
    if (empty) {
      for (int p = 0; p < N; ++p) slots[Search::kMainArg + p].clear();
    }
    std::string last(static_cast<std::size_t>(1 + draws.pick(3)), "XYZ"[N - 1]);
    last += draws.fragment(letters, draws.pick(3));
    last += draws.fragment("srl", draws.pick(4));
    slots[N] = last;
    const bool whole_run = draws.pick(3) != 0;
    // The argument slots in other orders: the last as above, the others
    // (runs kept whole) with the last parameter's argument empty.
    const auto reorder = [&] {
      List r = slots;
      for (int i = 1; i < N; ++i) r[i] = reordered(slots[i], true, draws.rng);
      r[N] = reordered(slots[N], whole_run, draws.rng);
      return r;
    };
    const List one_order = empty ? reorder() : slots;
    List other_order = reorder();
    if (!empty) {
      for (int i = 1; i < N; ++i) other_order[i] = slots[i];
    }
    const int msteps = 10 + draws.pick(150);
    const auto stream_of = [&](const List& s) {
      Bench<N> b(testing::open_grid(), 4, msteps, 0);
      b.fill(s);
      const auto got = b.s->key_and_stream();
      EXPECT_FALSE(got.first.empty());
      return got;
    };
    const auto one = stream_of(one_order);
    const auto two = stream_of(other_order);
    std::string what = "msteps " + std::to_string(msteps) + ":";
    for (int i = 0; i <= N; ++i) what += " [" + one_order[i] + "|" + other_order[i] + "]";
    if (one.first == two.first) {
      EXPECT_EQ(one.second, two.second) << what;
    }
    bool differ = false;
    for (int i = 1; i <= N; ++i)
      differ = differ || places_pattern(one_order[i]) != places_pattern(other_order[i]);
    if (quiet && empty && whole_run) {
      EXPECT_EQ(one.first, two.first) << what;
      shared += differ ? 1 : 0;
    } else if (!slots[Search::kMainArg + N - 1].empty() &&
               places_pattern(one_order[N]) != places_pattern(other_order[N])) {
      EXPECT_NE(one.first, two.first) << what;
      ++apart;
    }
  }
  EXPECT_GT(shared, 50);
  EXPECT_GT(apart, 20);
}

TEST(FastEngine, ReorderedArgumentsThatMakeTheSameValuesShareTheirStreams) {
  reordered_argument_slots_share_streams<1>(61);
  reordered_argument_slots_share_streams<2>(62);
  reordered_argument_slots_share_streams<3>(63);
}

// With every candidate counted without a run, a waiting key is still seen:
// the position shown is a candidate of the distribution being searched.
TEST(FastEngine, AKeyIsSeenWhileCandidatesAreOnlyCounted) {
  Bench<2> b(catalogue_grid("0004"), 6, 14, 0);
  b.h.keys.inject('a');
  EXPECT_EQ(search_status(b), -1);
  const std::string out = b.h.out.str();
  const std::string head = std::string(FixedSearch<2>::kTemplate) + "\n";
  const std::size_t at = out.find(head);
  ASSERT_NE(at, std::string::npos);
  const std::string lengths = position_lengths(out, at + head.size(), 6);
  ASSERT_FALSE(lengths.empty());
  EXPECT_NE(out.rfind(lengths + "\n", at), std::string::npos) << lengths;
}

template <int N>
void same_search_for_every_thread_count(const std::string& id, int entered, int msteps,
                                        int mlastfail, bool clears) {
  const Searched one = search_with<N>(1, id, entered, msteps, mlastfail);
  EXPECT_EQ(one.status, clears ? 0 : -1) << id;
  EXPECT_EQ(one.stats.runs, one.stats.candidates);
  // Every distribution with a combination per worker cut into units at the
  // outermost levels, in the middle, or at the last outer level, in batches
  // of many distributions or of one; distributions run whole (small ones,
  // or all of them, in batches of any size or of three); and the engine's
  // own choice.
  const Cutting cuttings[] = {
      cuts(1, 1, 1),       cuts(1, 1, 5),     cuts(1, 1, 1 << 20), cuts(1, 1, 1, 1, 1),
      cuts(1, 8, 16),      cuts(1, 1, 32, 8), cuts(1, 1 << 20, 1), cuts(1, 1 << 20, 1, 1, 512, 3),
      cuts(512, 4, 32, 32)};
  for (const Cutting& cutting : cuttings) {
    for (const int threads : {2, 8}) {
      const Searched many = search_with<N>(threads, id, entered, msteps, mlastfail, cutting);
      const std::string what = id + " " + std::to_string(threads) + " " + name(cutting);
      EXPECT_EQ(many.out, one.out) << what;
      EXPECT_EQ(many.status, one.status) << what;
      EXPECT_EQ(many.stats.candidates, one.stats.candidates) << what;
      EXPECT_GE(many.stats.runs, many.stats.candidates) << what;
    }
  }
}

TEST(ParallelSearch, SameOutputAndCountsWithOneTwoAndEightThreads) {
  // Byte counts as entered.
  same_search_for_every_thread_count<3>("0003", 12, 10, 2, true);
  same_search_for_every_thread_count<3>("0007", 10, 108, 0, false);
  same_search_for_every_thread_count<2>("0801", 10, 29, 0, true);
  same_search_for_every_thread_count<2>("0747", 10, 209, 0, false);
  same_search_for_every_thread_count<1>("0001", 8, 13, 0, true);
  same_search_for_every_thread_count<1>("0004", 9, 69, 0, false);
}

// A key pressed while distributions run as one batch: the position shown
// comes after the line of its own distribution, as with one thread.  The
// key waits from the start, or comes `later` into the search (so that it
// is seen in the middle of the batch, wherever that is: the outcome must be
// the same).
void position_in_a_batch_follows_its_distribution_line(const Cutting& cutting,
                                                       std::uint64_t batch_units,
                                                       std::chrono::milliseconds later) {
  SCOPED_TRACE(name(cutting) + " batches of " + std::to_string(batch_units));
  Bench<3> b(catalogue_grid("0007"), 13 - FixedSearch<3>::kTemplateBytes, 108, 0);
  b.h.c.threads = 2;
  b.s->cutting = cutting;
  b.s->cutting.batch_units = batch_units;
  std::thread typist;
  if (later.count() == 0) {
    b.h.keys.inject('a');
  } else {
    typist = std::thread([&b, later] {
      std::this_thread::sleep_for(later);
      b.h.keys.inject('a');
    });
  }
  b.s->search();
  if (typist.joinable()) typist.join();
  const std::string out = b.h.out.str();
  Bench<3> one(catalogue_grid("0007"), 13 - FixedSearch<3>::kTemplateBytes, 108, 0);
  one.s->search();
  const std::string head = std::string(FixedSearch<3>::kTemplate) + "\n";
  const std::size_t at = out.find(head);
  if (at == std::string::npos && later.count() != 0) {
    // The search ended before the key came: nothing to show.
    EXPECT_EQ(out, one.h.out.str());
    return;
  }
  ASSERT_NE(at, std::string::npos);
  const std::string lengths = position_lengths(out, at + head.size(), 8);
  ASSERT_FALSE(lengths.empty());
  // The last distribution line before the position.
  std::istringstream before(out.substr(0, at));
  std::string line;
  std::string last;
  while (std::getline(before, line)) {
    if (!line.empty() && line.find_first_not_of("0123456789,") == std::string::npos) last = line;
  }
  EXPECT_EQ(last, lengths);
  // Without the key's time lines, position and hint, the output of one
  // thread.
  std::size_t block = at;
  for (int k = 0; k < 2; ++k) block = out.rfind('\n', block - 2) + 1;
  const std::string hint = "何かキーを押すと検索位置を出力します．pを押すと中断します．\n\n";
  const std::size_t end = out.find(hint, at);
  ASSERT_NE(end, std::string::npos);
  EXPECT_EQ(out.substr(0, block) + out.substr(end + hint.size()), one.h.out.str());
}

TEST(ParallelSearch, APositionShownInABatchFollowsItsDistributionLine) {
  using std::chrono::milliseconds;
  // Every distribution small: each one unit of one batch.
  position_in_a_batch_follows_its_distribution_line(cuts(1, 1 << 20, 32), 8, milliseconds(0));
  // Every distribution in one batch, each cut into units at its outermost
  // level with more than one node; the key seen at the batch's start, or
  // some way into it, where unit and distribution numbers differ.
  position_in_a_batch_follows_its_distribution_line(cuts(1, 1, 1), 1 << 20, milliseconds(0));
  Bench<3> timed(catalogue_grid("0007"), 13 - FixedSearch<3>::kTemplateBytes, 108, 0);
  const auto start = std::chrono::steady_clock::now();
  timed.s->search();
  const auto one =
      std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - start);
  position_in_a_batch_follows_its_distribution_line(cuts(1, 1, 1), 1 << 20,
                                                    one / 4 + milliseconds(1));
}

}  // namespace
}  // namespace solver
