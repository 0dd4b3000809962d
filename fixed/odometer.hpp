// The slot odometer: one nesting level per slot, the body outermost and the
// main-line prefix innermost; a judgement before each descent prunes whole
// subtrees, and the innermost level runs every surviving candidate.
#pragma once

#include "engine.hpp"
#include "input.hpp"
#include "interpreter.hpp"
#include "progress.hpp"

namespace solver {

namespace odometer_detail {

// Slot of each level, outermost first: [1], the recursive call's arguments,
// the first call's arguments, and the main-line prefix last.
template <int N>
constexpr int level_slot(int k) {
  if (k <= N) return k;
  if (k < 2 * N + 1) return k + 1;
  return N + 1;
}

}  // namespace odometer_detail

template <int N>
void FixedSearch<N>::getnewj() {
  walk = Walk::Serial;
  stop_walk = false;
  level<0>();
}

template <int N>
template <int K>
int FixedSearch<N>::judge() const {
  if constexpr (K == 0) {
    return jhantei();
  } else if constexpr (K == 1) {
    return ahantei();
  } else if constexpr (K == 2 && N >= 2) {
    return bhantei();
  } else if constexpr (K == 3 && N == 3) {
    return chantei();
  } else if constexpr (K == 2 * N) {
    return closing_hantei();
  } else {
    return 0;
  }
}

template <int N>
template <int K>
int FixedSearch<N>::step(code_parts& p) {
  // The function's slots take the parameter letters, the main line does not.
  if constexpr (K <= N) {
    return getnew(p, N);
  } else {
    return getnew0(p);
  }
}

template <int N>
template <int K>
void FixedSearch<N>::level() {
  // A walk: the main line's lengths are those of its distribution.
  if constexpr (K == 0) {
    arguments_known = false;
    ++walk_serial;
  }
  if constexpr (K == kSlots - 1) {
    innermost();
  } else {
    code_parts& p = slot[odometer_detail::level_slot<N>(K)];
    getsss(p);
    if constexpr (K == N) ++bound_outer;
    bool quick = false;
    // A worker whose units are the nodes of this level: verdicts without
    // plans (a plan's replay would not enter each node).
    bool cut_verdicts = false;
    if constexpr (K == N) {
      quick = quick_nodes();
      cut_verdicts = !quick && cut_verdict_nodes();
    }
    // The level by its plan, or recorded as one (node_plans.hpp).
    [[maybe_unused]] PlanRecord record;
    [[maybe_unused]] NodePlan* record_entry = nullptr;
    if constexpr (K == N) {
      if (quick && plan_nodes) {
        NodePlan* entry = plan_entry();
        if (entry->walk == walk_serial && entry->outer == verdict_outer &&
            entry->high == verdict_high) {
          replay_plan(*entry);
          return;
        }
        if (plans_given_up != walk_serial) {
          record.on = true;
          record.first = static_cast<std::uint32_t>(plan_steps.size());
          record.fragments = plan_fragments.size();
          record_entry = entry;
        }
      }
    }
    bool stepped = false;
    do {
      // The function's slots decide the stream of places.
      if constexpr (K <= N) {
        ++slots_generation;
        // A step of the enumerator that leaves "r" or "l" first changed
        // that character only, from "s" or "r" (a carry leaves "s" first,
        // a new letter itself): every parameter letter stays where it was.
        if (!stepped || (p.code[0] != 'r' && p.code[0] != 'l')) {
          ++letters_generation;
          if constexpr (K < N) ++outer_letters_generation;
          if constexpr (K + 1 < N) ++head_letters_generation;
        }
        stepped = true;
      }
      const auto walk_below = [&] {
        walk_last_below();
        // (A resumption's candidate may have been loaded below.)
        quick = quick_nodes();
        record.on = record.on && quick;
      };
      // What skip_subtree would do with the node, by its verdict.
      [[maybe_unused]] const auto act_on = [&](const NodeVerdict& v) {
        switch (v.verdict) {
          case Verdict::Rejected:
          case Verdict::Nothing:
            break;
          case Verdict::Skipped:
            ++bounded_skips;
            skipped(v.candidates);
            break;
          case Verdict::Walked:
            // As skip_subtree goes on past the bound.
            // (The verdict was found in this walk, which set up the main
            // line's slots then: read_node_outer.)
            subtree_pending = false;
            if (v.candidates == kCountless || !skip_by_stream(v.candidates)) walk_below();
            break;
        }
      };
      if constexpr (K == N) {
        if (quick) {
          const NodeVerdict& v = node_verdict();
          if (record.on) record_node(record, v);
          act_on(v);
          if (stop_walk) return;
          continue;
        }
        if (cut_verdicts) {
          // Every node the judgement lets through is entered, as below.
          const NodeVerdict& v = node_verdict();
          if (v.verdict != Verdict::Rejected && enter_node()) act_on(v);
          if (stop_walk) return;
          continue;
        }
      }
      if (judge<K>() != -1) {
        if (K == N && walk == Walk::Count && cut == kSlots - 2) {
          // Counting the last outer level: its nodes below this one follow
          // from the lengths and a judgement on the whole combination.
          nodes += first_call_arguments();
          if (nodes >= count_limit) stop_walk = true;
        } else if ((K + 1 == N || K + 2 == N) && walk == Walk::Count && cut == kSlots - 2) {
          // And the nodes below the function's last two slots follow from
          // what their judgements and that one read of the slots before.
          // (The clamp names a level only for the levels that never get
          // here.)
          nodes += counted_below_level<std::clamp(K + 1, std::max(N - 1, 1), N)>();
          if (nodes >= count_limit) stop_walk = true;
        } else if (K != cut || enter_node()) {
          // A node of the level that makes the units of a parallel pass.
          if constexpr (K == N) {
            if (!skip_subtree()) walk_below();
          } else {
            level<K + 1>();
          }
        }
        if (stop_walk) return;
      }
    } while (step<K>(p) != -1);
    if constexpr (K == N) {
      if (record.on) finish_record(record, record_entry);
    }
  }
}

// Below the node: its candidates, each subtree that ran them all without a
// clear remembered (run_prints.hpp).
template <int N>
void FixedSearch<N>::walk_last_below() {
  level<N + 1>();
  if (subtree_pending && !stop_walk) {
    subtrees->add(subtree_print);
    added_to(*subtrees, subtree_adds);
  }
}

// At each node of the cut level: true when the walk goes below it.
template <int N>
bool FixedSearch<N>::enter_node() {
  switch (walk) {
    case Walk::Serial:
      return true;
    case Walk::Count:
      if (++nodes >= count_limit) stop_walk = true;
      return false;
    case Walk::Worker:
      break;
  }
  // Every `group` nodes make one unit; every worker walks the same levels
  // down to the cut, so the units are the same for all.
  if (nodes++ % group == 0) {
    const OrderedPass::Gate gate = pass->enter_unit(*cursor);
    if (gate == OrderedPass::Gate::Stop) {
      stop_walk = true;
      return false;
    }
    unit_runs = gate == OrderedPass::Gate::Run;
  }
  return unit_runs;
}

// Counting: the nodes of the last outer level below the current node of
// the level before level L (one of the function's last two slots), looked
// up by what the judgements of the levels from L on and
// first_call_arguments() read of the slots before L (count_key<L>()), and
// walked once per key and distribution.
template <int N>
template <int L>
std::uint64_t FixedSearch<N>::counted_below_level() {
  static_assert(L >= N - 1 && L <= N && L >= 1);
  const unsigned key = count_key<L>();
  std::uint64_t& counted = counted_below[N - L][key];
  unsigned& known = counted_keys[N - L];
  if ((known >> key & 1U) == 0) {
    const std::uint64_t before = nodes;
    const std::uint64_t limit = count_limit;
    nodes = 0;
    count_limit = ~std::uint64_t{0};
    level<L>();
    counted = nodes;
    known |= 1U << key;
    nodes = before;
    count_limit = limit;
  }
  return counted;
}

// The function's slots are all chosen here, and with them the stream of
// places of every candidate below.  A candidate runs at most the forward
// commands of its prefix and of that stream, and each place of a main-line
// argument holds "s" at most; when even that many fall short of the forward
// moves any run needs to clear (Robot::moves_to_clear), no candidate below
// can clear, and running them would change nothing but the time taken.  They
// are counted as run, as many as the odometer would walk: the first call's
// arguments that the closing judgement lets through, times the prefixes.
// So are they when they are, one for one, candidates of the same commands
// as those of an earlier subtree that ran without a clear (node_print).
//
// Not before a resumption has loaded its candidate, nor while the candidates
// are observed one by one, nor where the units of a parallel pass are cut
// below this level (the candidates would fall outside every unit).
template <int N>
bool FixedSearch<N>::skip_subtree() {
  subtree_pending = false;
  if (literal || lim.restart == 1 || on_candidate || walk == Walk::Count) return false;
  if (walk == Walk::Worker && cut > N && cut < kSlots) return false;
  const std::uint64_t candidates = candidates_below();
  if (candidates == kNoArguments) return true;  // the closing judgement lets nothing through
  if (candidates == kCountless) return false;
  // Most nodes that cannot clear show it by the lengths of their calls
  // alone (forward_bound.hpp), before their stream is looked for or built.
  const bool stream_now = places_generation == letters_generation &&
                          stream_generation == letters_generation && loaded >= 0 && !stream_stale;
  if (!stream_now && bound_rules_out()) {
    ++bounded_skips;
    return skipped(candidates);
  }
  return skip_by_stream(candidates);
}

// The rest of skip_subtree: the node's stream of places, looked for or
// built, tells the forward commands of its candidates and, when they may
// clear, the print of the subtree.
template <int N>
bool FixedSearch<N>::skip_by_stream(std::uint64_t candidates) {
  const code_parts& jj = slot[kMain];
  if (places_generation != letters_generation) {
    places_generation = letters_generation;
    places_now = walk_outer_part() && (recall_stream() || finish_walk_key(places_now_key));
  }
  if (!places_now) return false;
  if (stream_generation != letters_generation || loaded < 0 || stream_stale) {
    ensure_stream(places_now_key);
    stream_generation = letters_generation;
    remember_stream();
  }
  if (!st->stream_full) return false;
  // Forward commands at the places of the function's slots: those of the
  // slots before the last one are summed once per stream and node of the
  // level above (kept with the stream).
  const auto add_places = [&](const std::string& code, long long& goes, std::size_t& place) {
    for (const char ch : code) {
      // Without a branch per character (a letter reads at most the count
      // past the last place, times 0).
      const std::uint8_t op = interpreter_detail::code_of(ch);
      goes += st->occurs[std::min(place, st->place_count + 1)] * (op == kGo ? 1 : 0);
      place += op != 0 ? 1 : 0;
    }
  };
  if (st->outer_stamp != bound_outer) {
    st->outer_stamp = bound_outer;
    st->outer_goes = 0;
    st->outer_place = 1;
    for (int i = 0; i < N; ++i) add_places(slot[i].code, st->outer_goes, st->outer_place);
  }
  long long goes = (jj.fixed == 1 ? jj.scount : jj.length) + st->outer_goes;
  std::size_t place = st->outer_place;
  add_places(slot[N].code, goes, place);
  const std::size_t main_from = place;
  for (; place <= st->place_count; ++place) goes += st->occurs[place];
  if (goes >= robot.moves_to_clear()) {
    // The candidates below may clear, unless they are those of a subtree
    // that did not (run_prints.hpp).
    if (!skip_repeats) return false;
    if (subtrees == nullptr) {
      own_subtrees = std::make_unique<PrintTable>(kPrintSlotsLog2);
      subtrees = own_subtrees.get();
    }
    subtree_print = node_print(main_from);
    const bool one_run = prints != nullptr && one_run_below();
    prefetch_next_nodes(one_run);
    // A subtree of one candidate, the main line and its arguments empty:
    // that candidate's print is the function places' part (see
    // candidate_print), which the table of runs holds if the subtree
    // repeats one that did not clear (its candidate ran, or was found a
    // repeat of one that ran), or if any run of the same commands did not.
    // Its run, if it comes to that, keeps its print there.
    if (one_run) {
      if (!prints->has(RunPrint{node_function})) return false;
      ++subtrees_skipped;
      return skipped(candidates);
    }
    if (!subtrees->has(subtree_print)) {
      subtree_pending = true;
      ask_for_candidate_prints(main_from);
      return false;
    }
    ++subtrees_skipped;
  }
  return skipped(candidates);
}

// Below a subtree about to be walked whose candidates differ in one or two
// characters of the first call's arguments only, the main-line prefix
// empty (most walked subtrees of several candidates): the print of each is
// the function places' part and those characters' weights times their
// commands (see candidate_print), and their slots in the table of runs are
// asked for now, while the walk goes down to them.  (The closing judgement
// may pass over some of them.)
template <int N>
void FixedSearch<N>::ask_for_candidate_prints(std::size_t main_from) {
  if (prints == nullptr || slot[kMain].length != 0 || main_from > st->place_count) return;
  const std::size_t count = st->place_count + 1 - main_from;
  if (count > 2) return;
  static constexpr std::array<std::uint64_t, 3> kCodes = {kGo, kRight, kLeft};
  const PrintSum* w = st->weight.data() + main_from;
  for (const std::uint64_t first : kCodes) {
    const PrintSum print = node_function + w[0] * first;
    if (count == 1) {
      prints->prefetch(RunPrint{print});
      continue;
    }
    for (const std::uint64_t second : kCodes) prints->prefetch(RunPrint{print + w[1] * second});
  }
}

// Whether the nodes of the function's last slot may be settled by their
// counts (node_verdict): in a walk that skips subtrees at that level
// (skip_subtree), with counts that the bound's key holds (six bits each).
template <int N>
bool FixedSearch<N>::verdicts_hold() const {
  if (literal || lim.restart == 1 || on_candidate || walk == Walk::Count) return false;
  for (int i = 0; i <= N; ++i) {
    if (slot[i].length < 0 || slot[i].length >= 64) return false;
  }
  return true;
}

// Verdicts and plans: a worker's units must not start at that level or
// below (a plan's replay does not enter its nodes one by one): units cut
// above it, or a whole distribution a unit.
template <int N>
bool FixedSearch<N>::quick_nodes() const {
  if (walk == Walk::Worker && !(cut < N || cut == kSlots)) return false;
  return verdicts_hold();
}

// Verdicts alone, for a worker whose units are cut at that level
// (enter_node() takes each node the judgement lets through).
template <int N>
bool FixedSearch<N>::cut_verdict_nodes() const {
  return walk == Walk::Worker && cut == N && verdicts_hold();
}

// The node's verdict, kept within the walk by the counts of the function's
// slots: rejected by the judgement; let through with nothing below
// (skip_subtree's closing judgement); skipped by the forward bound, its
// candidates counted as run; or to be walked the common way (its stream
// looked at).  Every verdict is the one that way would come to: the
// judgement of this level, the candidates below and the bound read of the
// function's slots only their lengths (the walk's) and counts (a fragment
// of one "X" or "Y" is one of length 1 and that count), and a fixed
// fragment is its level's only one in the walk.
template <int N>
inline const typename FixedSearch<N>::NodeVerdict& FixedSearch<N>::node_verdict() {
  read_verdict_outer();
  const std::uint64_t packed = ForwardBounds<N>::pack(slot[N]) | verdict_high;
  const std::uint64_t h = (verdict_outer_hash ^ packed) * 0xC2B2AE3D27D4EB4FULL;
  NodeVerdict& v = verdicts[h >> (64 - kVerdictsLog2)];
  if (v.walk == walk_serial && v.outer == verdict_outer && v.packed == packed) return v;
  return find_verdict(v, packed);
}

// The counts of the slots before the last function slot, as node_verdict
// reads them.
template <int N>
inline void FixedSearch<N>::read_verdict_outer() {
  if (verdict_stamp == bound_outer) return;
  verdict_stamp = bound_outer;
  verdict_outer = 0;
  for (int i = 0; i < std::min(N, 2); ++i)
    verdict_outer |= ForwardBounds<N>::pack(slot[i]) << (32 * i);
  // A third slot's counts share the word of the last slot's.
  verdict_high = N == 3 ? ForwardBounds<N>::pack(slot[N - 1]) << 32 : 0;
  verdict_outer_hash = verdict_outer * 0x9E3779B97F4A7C15ULL;
}

// The verdict of a node not met before in the walk, kept in `v`.
template <int N>
const typename FixedSearch<N>::NodeVerdict& FixedSearch<N>::find_verdict(NodeVerdict& v,
                                                                         std::uint64_t packed) {
  v = {walk_serial, verdict_outer, packed, kCountless, Verdict::Walked};
  if (judge<N>() == -1) {
    v.verdict = Verdict::Rejected;
    return v;
  }
  const std::uint64_t candidates = candidates_below();
  if (candidates == kNoArguments) {
    v.verdict = Verdict::Nothing;
  } else if (candidates != kCountless) {
    v.candidates = candidates;
    if (bound_rules_out()) v.verdict = Verdict::Skipped;
  }
  return v;
}

// What skip_subtree reads of the slots other than the function's last one,
// read once for every node of that slot's level below the same node of the
// level above (bound_outer): whether they hold "s" and turns; and once a
// walk, the candidates below a node by whether the function's slots hold
// them (the first call's arguments that the closing judgement lets
// through, times the prefixes).
template <int N>
void FixedSearch<N>::read_node_outer() {
  node_outer = bound_outer;
  node_outer_moves = 0;
  for (int i = 0; i < N; ++i) {
    if (slot[i].scount != 0) node_outer_moves |= 2U;
    if (slot[i].turncount != 0) node_outer_moves |= 1U;
  }
  if (node_walk == walk_serial) return;
  node_walk = walk_serial;
  // The main line's slots as their levels will start them: the stream's key
  // takes their sizes, and a walk that stopped early (a count) may have left
  // fragments of another distribution in them (of commands only: the main
  // line is enumerated without parameter letters).  The levels below leave
  // them so for the rest of the walk.
  for (int i = kMain; i < kSlots; ++i) {
    if (slot[i].code.size() != static_cast<std::size_t>(slot[i].length)) getsss(slot[i]);
  }
  const code_parts& jj = slot[kMain];
  const std::uint64_t prefixes = jj.fixed == 1 ? 1 : main_fragments(jj.length);
  if (!arguments_known) count_arguments();
  constexpr std::uint64_t kMost = std::uint64_t{1} << 62;
  for (std::size_t k = 0; k < node_candidates.size(); ++k) {
    const std::uint64_t arguments = arguments_count[k];
    if (arguments == 0) {
      node_candidates[k] = kNoArguments;
    } else if (arguments >= kMost || prefixes >= kMost || prefixes > kMost / arguments) {
      node_candidates[k] = kCountless;
    } else {
      node_candidates[k] = arguments * prefixes;
    }
  }
}

// The candidates below the node are counted as run, none of them clearing.
template <int N>
bool FixedSearch<N>::skipped(std::uint64_t candidates) {
  runs += candidates;
  // The keyboard, as after a candidate: the position shown is the first
  // candidate below, which every candidate before it precedes.
  if (walk == Walk::Worker) {
    cursor->candidates += candidates;
    if (pass->checkpoint(*cursor)) stop_walk = true;
  } else {
    simulated += candidates;
    if (key_waiting(c))
      on_key(
          c, grid, lim, [&] { PRINT_CODE(0); }, kInputErrorLine, true);
  }
  return true;
}

template <int N>
void FixedSearch<N>::innermost() {
  code_parts& jj = slot[kMain];
  getsss(jj);
  // The prefixes to run (prefix_states.hpp), counted from the first one;
  // not where a resumption starts in the middle of them (the prefixes
  // before it have not run here), nor while candidates are observed.
  const std::uint8_t* first = nullptr;
  if (share_prefixes && !literal && lim.restart != 1 && !on_candidate && jj.fixed != 1) {
    first = first_prefixes(jj.length);
  }
  std::size_t at = 0;
  if (lim.restart == 1) {
    // The first candidate to get here is replaced by the resumption
    // candidate, which is run first, unjudged; fixing ends with it.
    lim.restart = 0;
    for (int i = 0; i < kSlots; ++i) slot[i] = res[i];
    slots_replaced();
  }
  // A stream pays when several candidates run against it: several
  // prefixes, or slots that stand as places (every candidate with the same
  // letters in the function's slots and the same lengths).  Places depend
  // on where the function's slots hold letters and on the lengths only,
  // which stay the same while the letters' generation does (lengths change
  // only with a new distribution, which starts the function's slots again).
  if (places_generation != letters_generation) {
    places_generation = letters_generation;
    places_now = walk_places_key(places_now_key);
  }
  const bool single = !places_now && (jj.fixed == 1 || jj.length == 0);
  if (!literal && !single &&
      (!places_now || stream_generation != letters_generation || loaded < 0 || stream_stale)) {
    if (places_now) {
      ensure_stream(places_now_key);
    } else {
      ensure_stream(false);
    }
    stream_generation = letters_generation;
  }
  if (!literal && !single) {
    // The function's places change only with the generation.
    prepare_commands(commands_generation != slots_generation);
    commands_generation = slots_generation;
  }
  // Runs that repeat an earlier run's commands are not run again; not with
  // a main-line prefix that may hold other characters than commands.
  const bool printed = skip_repeats && !literal && !single && !on_candidate &&
                       static_cast<std::size_t>(jj.scount + jj.turncount) == jj.code.size();
  if (printed && prints == nullptr) {
    own_prints = std::make_unique<PrintTable>(kPrintSlotsLog2);
    prints = own_prints.get();
  }
  // A run with fewer forward commands (those of its prefix and those the
  // stream holds for this combination) than any run needs to clear
  // (Robot::moves_to_clear) never clears: it is not run.
  const long long moves = robot.moves_to_clear();
  const auto run = [&] {
    if (first != nullptr && first[at++] == 0) return RunEnd::Failed;
    if (literal) return run_literal();
    if (single) return run_direct();
    if (goes_total >= 0 && goes_total + jj.scount < moves) return RunEnd::Failed;
    if (!printed || !st->stream_full) return run_candidate(true, true);
    const RunPrint print = candidate_print();
    if (prints->has(print)) return RunEnd::Failed;
    const RunEnd end = run_candidate(true, true);
    if (end != RunEnd::Cleared) {
      prints->add(print);
      added_to(*prints, print_adds);
    }
    return end;
  };
  if (walk == Walk::Worker) {
    do {
      ++runs;
      ++cursor->candidates;
      if (run() == RunEnd::Cleared) {
        // The slots keep the clearing candidate for the report.
        pass->found(*cursor);
        stop_walk = true;
        return;
      }
      if (pass->checkpoint(*cursor)) {
        stop_walk = true;
        return;
      }
    } while (getnew0(jj) != -1);
    return;
  }
  do {
    ++simulated;
    ++runs;
    if (on_candidate) on_candidate(*this);
    if (run() == RunEnd::Cleared) {
      record_stats(c, simulated, runs, robot);
      if (c.stats != nullptr) c.stats->commands += worker_commands;
      report_clear(c, grid, lim, clear_steps(), [&] { PRINT_CODE(0); });
    }
    if (key_waiting(c))
      on_key(
          c, grid, lim, [&] { PRINT_CODE(0); }, kInputErrorLine, true);
  } while (getnew0(jj) != -1);
}

}  // namespace solver
