// The fixed-template search engine, built for a template arity N of 3, 2 or 1:
//
//   N = 3  a(X,Y,Z):[1]a([2],[3],[4]),[5]a([6],[7],[8])
//   N = 2  a(X,Y):[1]a([2],[3]),[4]a([5],[6])
//   N = 1  a(X):[1]a([2]),[3]a([4])
//
// One FixedSearch object holds the whole state of one search worker: the
// slot set with its fixed lengths and resumption records, the robot, the
// argument values of the interpreter and the test counters.  The members are
// defined by topic in distribution.hpp, judgements.hpp, odometer.hpp,
// interpreter.hpp, output.hpp and dialogues.hpp; search.hpp includes them all.
#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "console.hpp"
#include "forward_bound.hpp"
#include "grid.hpp"
#include "key_index.hpp"
#include "limits.hpp"
#include "literal_robot.hpp"
#include "ordered_pass.hpp"
#include "print_table.hpp"
#include "robot.hpp"
#include "slots.hpp"
#include "weighed_streams.hpp"

namespace solver {

// How one candidate run ended.
enum class RunEnd {
  Failed,      // a motion operation refused (step limit or gray-cell limit)
  Cleared,     // the last target was collected
  FixedPoint,  // every argument empty and a body without commands
  Idle,        // levels that provably never execute a command again
};

// An argument value of the interpreter: a byte string reused from run to run.
using ArgValue = std::vector<char>;

// How a parallel search of the fixed-template engine cuts its work
// (parallel.hpp); tests lower the sizes to make small searches parallel.
struct Cutting {
  // A distribution is one unit of its batch, or, when it holds
  // whole_units * units_per_worker units' worth of candidates or more, cut
  // into units of about unit_candidates candidates each: large enough
  // that claiming one (an atomic increment) costs nothing next to it,
  // small enough to spread the distribution (a pass' worth:
  // units_per_worker units per worker).
  std::uint64_t unit_candidates = 512;
  std::uint64_t units_per_worker = 4;
  // Units are cut at the shallowest level of the odometer with at least
  // units_per_thread nodes per worker, so that the levels below are
  // walked only by the worker that runs them.
  std::uint64_t units_per_thread = 32;
  std::uint64_t whole_units = 32;
  // A batch runs once it holds batch_units passes' worth (a distribution
  // run whole is then at most a sixteenth of a worker's share: the
  // workers wait little for each other at the batch's end), or
  // batch_distributions distributions, however few candidates they hold
  // (some hold none); the planner looks no further ahead than that.
  std::uint64_t batch_units = 512;
  std::size_t batch_distributions = 4096;
};

template <int N>
struct alignas(64) FixedSearch {
  static_assert(N >= 1 && N <= 3, "the templates have one to three parameters");

  // Slot indices: slot[n - 1] holds template slot [n].
  static constexpr int kSlots = 2 * N + 2;
  static constexpr int kBody = 0;         // [1] j
  static constexpr int kArg = 1;          // [2] .. [N+1]: a, b, c
  static constexpr int kMain = N + 1;     // [N+2] jj, the main-line prefix
  static constexpr int kMainArg = N + 2;  // [N+3] .. [2N+2]: aa, bb, cc
  static constexpr int kTemplateBytes = N + 3;
  static constexpr int kThreshold = N;  // the budget must exceed this
  static constexpr std::string_view kTemplate = N == 3
                                                    ? "a(X,Y,Z):[1]a([2],[3],[4]),[5]a([6],[7],[8])"
                                                : N == 2 ? "a(X,Y):[1]a([2],[3]),[4]a([5],[6])"
                                                         : "a(X):[1]a([2]),[3]a([4])";

  FixedSearch(Console& console, const Grid& g, const Limits& limits);
  // The engine points into itself (the stream being run).
  FixedSearch(const FixedSearch&) = delete;
  FixedSearch& operator=(const FixedSearch&) = delete;

  Console& c;
  const Grid& grid;
  Limits lim;  // `restart` drops to 0 once the search has resumed
  Robot robot;

  std::array<code_parts, kSlots> slot;  // the current candidate
  std::array<code_parts, kSlots> res;   // the resumption candidate
  std::array<int, kSlots> fixlen{};     // fixed length of each fixed slot

  // Test hooks: the number of candidates in search order (through a clear),
  // the runs actually simulated by every worker, and an optional observer
  // called with the search just before each candidate is run (single-thread
  // walks only).
  std::uint64_t simulated = 0;
  std::uint64_t runs = 0;
  // Every candidate runs on the literal interpreter (literal.hpp) instead,
  // on one thread, taken from the console.
  bool literal = false;
  std::function<void(const FixedSearch&)> on_candidate;

  // The slots were set from outside the odometer: nothing derived from
  // the earlier ones holds.
  void slots_replaced() {
    ++bound_outer;
    ++walk_serial;
    ++slots_generation;
    ++letters_generation;
    ++outer_letters_generation;
    ++head_letters_generation;
  }

  // Start-up dialogues (dialogues.hpp).
  void input_fixcode();
  void input_fixcodeparts(code_parts& p, int n);
  void input_restartcode();

  // The whole search after the dialogues: distributions, odometer, end line.
  void search();

  // Length distribution (distribution.hpp).
  void get_firstlength();
  int get_newlength();
  bool next_distribution(bool& started);
  int lenhantei() const;
  bool valid_distribution() const;
  void print_length();

  // Odometer (odometer.hpp): getnewj runs every candidate of a distribution.
  void getnewj();
  template <int K>
  void level();
  void innermost();
  // At a node of the last function slot's level: true, with every candidate
  // below it counted as run, when none of them can clear.
  bool skip_subtree();
  [[gnu::noinline]] bool skip_by_stream(std::uint64_t candidates);
  bool skipped(std::uint64_t candidates);

  // Parallel search (parallel.hpp): the distributions run in batches, each
  // batch one ordered pass, their work cut as `cutting` says.
  Cutting cutting;
  // A distribution with where its units are cut: at the nodes of level
  // `cut`, `group` nodes a unit, or (cut kSlots) the whole distribution one
  // unit.  `candidates`: about how many it holds (at least, when cut).
  struct Planned {
    std::array<code_parts, kSlots> slots;
    int cut = 0;
    std::uint64_t group = 1;
    std::uint64_t candidates = 0;
  };
  Planned plan_distribution();
  // Combinations of the first call's arguments that reach the main-line
  // prefix, for the function's slots as they stand.
  std::uint64_t first_call_arguments() {
    bool any_s = false;
    bool any_turn = false;
    for (int i = 0; i <= N; ++i) {
      any_s = any_s || slot[i].scount != 0;
      any_turn = any_turn || slot[i].turncount != 0;
    }
    if (!arguments_known) count_arguments();
    return arguments_count[static_cast<std::size_t>((any_s ? 2 : 0) + (any_turn ? 1 : 0))];
  }
  // arguments_count: by whether the function's slots hold "s" (bit 1) and
  // turns (bit 0).
  void count_arguments();
  std::array<std::uint64_t, 4> arguments_count{};
  bool arguments_known = false;  // arguments_count, for the walk under way
  // The distributions of a parallel search are planned ahead by `planner`,
  // a search object of the coordinator's own, while the workers run the
  // batch before them (planning walks the odometer's outer levels).
  std::unique_ptr<FixedSearch> planner;
  std::deque<Planned> planned;
  std::uint64_t planned_candidates = 0;  // the candidates `planned` holds
  bool planner_started = false;
  bool planner_done = false;
  bool plan_next();
  bool plan_ahead();
  bool next_planned(Planned& d);
  void search_in_parallel();
  // Distributions waiting to run as one pass, and about how many candidates
  // they hold.
  std::vector<Planned> batch;
  std::uint64_t batch_candidates = 0;
  // The first batch holds a sixteenth of a batch's worth, each next one
  // twice as much as the one before (search_in_parallel).
  static constexpr std::uint64_t kFirstBatchShare = 16;
  std::uint64_t batch_limit() const {
    return cutting.unit_candidates * cutting.units_per_worker *
           static_cast<std::uint64_t>(c.threads) * cutting.batch_units;
  }
  void run_batch();
  // The distribution of a batch a worker is in (the index in `batch`),
  // read by the coordinator while the worker runs.
  std::atomic<std::size_t> segment{0};

  // Judgements (judgements.hpp): 0 go on, -1 reject.
  int jhantei() const;
  int ahantei() const;
  int bhantei() const;
  int chantei() const;
  int closing_hantei() const;  // cchantei, bbhantei or aahantei

  // Interpreter (interpreter.hpp).  The commands a run begins after the
  // main-line prefix depend only on the function's slots, on the main-line
  // arguments and on the prefix's length.  When the main-line arguments hold
  // commands only, each of their characters costs one step wherever it goes,
  // so which character of which slot lands where depends on their lengths
  // alone: the stream is built once (start_stream) with each main-line
  // argument character standing for its place, every candidate with the
  // same function slots and lengths runs against it, and the places are
  // read through `command` (run_candidate).  simulate() does both, for one
  // candidate; ensure_stream() starts a new stream only when the current one
  // does not fit the slots.
  RunEnd simulate() {
    st = &own;
    loaded = -1;
    start_stream();
    return run_candidate();
  }
  // `places`: whether the slots run as places (use_places()), when the
  // caller knows; -1 to work it out.
  void start_stream(int places = -1);
  void ensure_stream() { ensure_stream(use_places()); }
  void ensure_stream(bool with_places);
  // `prepared`: prepare_commands() has run for the current combination.
  // `watch_loops`: a run through a stream that repeats itself ends as soon
  // as the robot is seen going round a loop without collecting (see
  // run_periodic), instead of at the step limit; the outcome is the same,
  // only the step at which a failing run stops differs.
  RunEnd run_candidate(bool prepared = false, bool watch_loops = false);
  void prepare_commands(bool all);
  // The same run without a stream, for a main-line prefix that is the only
  // one of its combination.
  RunEnd run_direct();
  // The same on the literal interpreter and robot (literal.hpp).
  RunEnd run_literal();
  LiteralRobot literal_robot;
  std::vector<std::string> literal_slots;
  // The step count of the run that just cleared.
  int clear_steps() const { return literal ? literal_robot.steps : robot.steps; }

  // Main-line prefixes that leave the robot as an earlier prefix of the
  // same length does (prefix_states.hpp): for the prefixes of `length`
  // characters in the order getnew0 runs them, 1 for a prefix to run and 0
  // for one whose state an earlier one reached; null when lengths that
  // large are not looked at.  `share_prefixes` false runs every prefix.
  static constexpr int kMostComparedPrefix = 12;
  const std::uint8_t* first_prefixes(int length);
  std::array<std::vector<std::uint8_t>, kMostComparedPrefix + 1> prefix_first;
  bool share_prefixes = true;

  // Candidates whose commands repeat a run that did not clear
  // (run_prints.hpp): `skip_repeats` false runs them.  `prints` is the table
  // of the search's workers, the main search's own (`own_prints`).
  bool skip_repeats = true;
  // At most 2^17 slots of 16 bytes a table: a print lost to a full table
  // costs a walk or a run again, which costs more than the wider table's
  // misses in the processor's caches (2^16 and 2^18 were slower).
  static constexpr std::size_t kPrintSlotsLog2 = 17;
  std::unique_ptr<PrintTable> own_prints;
  PrintTable* prints = nullptr;
  // The same for whole subtrees below the last function slot's level: the
  // prints of those whose candidates all ran, or were counted, without a
  // clear, and the print of the current one when it is to be kept.
  std::unique_ptr<PrintTable> own_subtrees;
  PrintTable* subtrees = nullptr;
  RunPrint subtree_print;
  bool subtree_pending = false;
  // Prints this worker added to each table, which widens as all its users
  // together fill it.
  std::uint64_t print_adds = 0;
  std::uint64_t subtree_adds = 0;
  void added_to(PrintTable& table, std::uint64_t& adds) const {
    if ((++adds & 255) == 0) table.widen(adds * static_cast<std::uint64_t>(std::max(1, c.threads)));
  }
  // Bounds of forward commands by the function's slots (skip_subtree);
  // bound_outer changes whenever a slot other than the function's last one
  // may have (the odometer bumps it as it enters that slot's level).
  ForwardBounds<N> forward_bounds;
  std::uint64_t bound_outer = 0;
  // skip_subtree's reading of the same slots (read_node_outer): valid while
  // node_outer is bound_outer (which starts at 0 and only grows), and
  // node_candidates while node_walk is walk_serial.  node_candidates: by
  // whether the function's slots hold "s" (bit 1) and turns (bit 0).
  void read_node_outer();
  // The candidates below the current node of the function's last slot
  // (kNoArguments or kCountless as they stand).
  std::uint64_t candidates_below() {
    if (node_outer != bound_outer) read_node_outer();
    const code_parts& last = slot[N];
    const unsigned moves =
        node_outer_moves | (last.scount != 0 ? 2U : 0U) | (last.turncount != 0 ? 1U : 0U);
    return node_candidates[moves];
  }
  // The forward bound shows that no candidate below the node can clear.
  bool bound_rules_out() {
    const long long bound = forward_bounds.of(slot, robot.msteps, bound_outer);
    return bound >= 0 && bound < robot.moves_to_clear();
  }
  static constexpr std::uint64_t kNoArguments = ~std::uint64_t{0};
  static constexpr std::uint64_t kCountless = ~std::uint64_t{0} - 1;
  std::uint64_t node_outer = ~std::uint64_t{0};
  unsigned node_outer_moves = 0;
  std::array<std::uint64_t, 4> node_candidates{};
  // Nodes of the function's last slot told apart by the counts of the
  // function's slots alone, within a walk (node_verdict): the judgement,
  // the candidates below and the forward bound read nothing else of those
  // slots (the lengths and the main line's slots stay those of the walk).
  enum class Verdict : std::uint8_t { Rejected, Nothing, Skipped, Walked };
  struct NodeVerdict {
    std::uint64_t walk = ~std::uint64_t{0};  // walk_serial when it was found
    std::uint64_t outer = 0;                 // the counts of the slots before
    std::uint64_t packed = 0;                // the slot's counts (and verdict_high)
    std::uint64_t candidates = 0;            // counted as run, when Skipped
    Verdict verdict = Verdict::Walked;
  };
  // (The verdicts, the recalled streams and the outer keys' ids are kept in
  // tables small enough to stay in the processor's second-level cache
  // beside the print tables' traffic: larger ones kept little more that the
  // walk met again, and were missed there more often.)
  static constexpr int kVerdictsLog2 = 10;
  // Bumped as a walk starts and when the slots are replaced: what only the
  // lengths and the main line's slots decide stays while it does.
  std::uint64_t walk_serial = 0;
  std::uint64_t node_walk = ~std::uint64_t{0};  // walk_serial of node_candidates
  // The counts of the slots before the last function slot, read under
  // bound_outer verdict_stamp.
  std::uint64_t verdict_stamp = ~std::uint64_t{0};
  std::uint64_t verdict_outer = 0;
  std::uint64_t verdict_outer_hash = 0;
  std::uint64_t verdict_high = 0;  // with three parameters: [3]'s counts, above [4]'s
  std::array<NodeVerdict, std::size_t{1} << kVerdictsLog2> verdicts{};
  bool verdicts_hold() const;
  bool quick_nodes() const;
  bool cut_verdict_nodes() const;
  void read_verdict_outer();
  [[gnu::always_inline]] const NodeVerdict& node_verdict();
  // The last function slot's level below slots of counts met before in the
  // walk, replayed (node_plans.hpp): its nodes come in the same order with
  // the same counts, so the same verdicts; only the walked nodes are set
  // up again, and the candidates of the skipped ones between them are
  // counted in one go.  A step: the skipped nodes before a walked node
  // (their candidates, how many the bound skipped, where the first one's
  // fragment lies) and the walked node (its fragment, counts, verdict's
  // candidates, and whether its letters moved since the walked node before).
  // The last step of a plan holds the skipped nodes after the last walked
  // one (walked kNoFragment).
  static constexpr std::uint32_t kNoFragment = ~std::uint32_t{0};
  struct PlanStep {
    std::uint64_t skipped = 0;
    std::uint64_t candidates = 0;
    std::uint32_t bounded = 0;
    std::uint32_t first_skipped = kNoFragment;
    std::uint32_t walked = kNoFragment;
    bool letters_moved = true;
  };
  struct NodePlan {
    std::uint64_t walk = ~std::uint64_t{0};
    std::uint64_t outer = 0;
    std::uint64_t high = 0;
    std::uint32_t first = 0;
    std::uint32_t count = 0;
  };
  static constexpr int kPlansLog2 = 10;
  // The steps kept in a walk at most (a few megabytes, with their
  // fragments): a level too long to keep is walked the common way every
  // time.  Tests lower it.
  std::size_t most_plan_steps = std::size_t{1} << 18;
  std::uint64_t plans_given_up = ~std::uint64_t{0};  // walk_serial of a level too long
  std::array<NodePlan, std::size_t{1} << kPlansLog2> plans{};
  std::vector<PlanStep> plan_steps;
  std::vector<char> plan_fragments;
  std::uint64_t plans_walk = ~std::uint64_t{0};  // walk_serial of plan_steps
  bool plan_nodes = true;                        // false: every node stepped to
  std::uint64_t plan_replays = 0;                // levels replayed (a test hook)
  // Test hook: the last function slot's level walked below the slots before
  // it as they stand, within the walk that the last getnewj() made.
  void walk_last_level();
  // While a level is walked the common way: its plan in the making.
  struct PlanRecord {
    bool on = false;
    std::uint32_t first = 0;    // its first step in plan_steps
    std::size_t fragments = 0;  // and where its fragments start
    PlanStep step;
    std::uint64_t letters = 0;  // letters_generation at the last walked node
  };
  NodePlan* plan_entry();
  void replay_plan(const NodePlan& plan);
  // Below a node of the last function slot's level, its subtree walked.
  void walk_last_below();
  std::uint32_t keep_fragment(const code_parts& p);
  void set_fragment_at(code_parts& p, std::uint32_t at) const;
  void record_node(PlanRecord& r, const NodeVerdict& v);
  void finish_record(PlanRecord& r, NodePlan* entry);
  [[gnu::noinline]] const NodeVerdict& find_verdict(NodeVerdict& v, std::uint64_t packed);
  std::uint64_t subtrees_skipped = 0;  // by this worker (a test hook)
  std::uint64_t bounded_skips = 0;     // nodes skipped by the bound (the same)
  std::uint64_t twin_weights = 0;      // streams weighed by a twin's (a test hook)
  RunPrint node_print(std::size_t main_from);
  RunPrint subtree_sum(std::uint64_t function, unsigned moves) const;
  void prefetch_next_nodes(bool one_run) const;
  void ask_for_candidate_prints(std::size_t main_from);
  // Below the node, one candidate only: the main line and its arguments
  // empty.
  bool one_run_below() const {
    for (int i = kMain; i < kSlots; ++i) {
      if (slot[i].length != 0) return false;
    }
    return true;
  }
  void weigh_stream();
  // The print of the current candidate, whose stream of places is full
  // (prints_stream()) and whose commands are prepared.
  RunPrint candidate_print();
  bool prints_stream() const { return st->stream_full; }
  // The print of a run that may execute `commands` (command characters).
  RunPrint commands_print(std::string_view commands);
  void ensure_print_numbers(std::size_t n) {
    if (print_numbers.size() < n) draw_print_numbers(n);
  }
  void draw_print_numbers(std::size_t n);

  // Output (output.hpp).
  void PRINT_CODE(int detail);

  // Test hooks on the interpreter: the values of the last call run, and the
  // largest capacity any argument value holds.
  std::string argument(int p) const {
    std::string v(st->value[p].begin(), st->value[p].end());
    if (st->places) {
      for (char& ch : v) {
        const auto b = static_cast<unsigned char>(ch);
        if (b >= 1 && b <= st->place_count)
          ch = command[b] == kGo ? 's' : command[b] == kRight ? 'r' : 'l';
      }
    }
    return v;
  }
  // Test hook: the stream key that a walk makes for the current slots
  // (walk_places_key) is the one worked out from scratch.
  bool walk_key_agrees() {
    StreamKey walked;
    StreamKey whole;
    const bool by_walk = walk_places_key(walked);
    const bool from_scratch = places_key(whole);
    return by_walk == from_scratch && (!by_walk || walked == whole);
  }
  // Test hook: the stream of places that a walk takes for the current slots
  // (walk_places_key, then the cache or a build that may keep the cut of
  // the slots before the last one); empty when they do not run as places.
  std::string walked_stream() {
    StreamKey key;
    if (!walk_places_key(key)) return {};
    ensure_stream(key);
    return std::string(st->stream.data(), st->stream_len);
  }
  // Test hook: the key of the current slots' stream of places (its words
  // as bytes; empty when the slots do not run as places) and that stream.
  std::pair<std::string, std::string> key_and_stream() {
    StreamKey key;
    if (!places_key(key)) return {};
    cut_outer_kept = false;
    ensure_stream(key);
    return {std::string(reinterpret_cast<const char*>(key.w.data()), sizeof key.w),
            std::string(st->stream.data(), st->stream_len)};
  }
  std::size_t argument_capacity() const {
    std::size_t most = 0;
    for (int p = 0; p < N; ++p) {
      most =
          std::max({most, st->value[p].capacity(), st->old[p].capacity(), st->saved[p].capacity()});
    }
    return most;
  }

 private:
  template <int K>
  int judge() const;
  template <int K>
  static int step(code_parts& p);

  RunEnd run_periodic();
  RunEnd run_end() const { return robot.cleared ? RunEnd::Cleared : RunEnd::Failed; }

  // The command stream after the main-line prefix, built level by level as
  // runs need it, with everything needed to build it further.  It holds the
  // commands from number stream_base on; `room` is the number of commands
  // the step limit leaves after the prefix (the last one is refused).
  //
  // Places: with main-line arguments of commands only, each command
  // character of the function's slots and each character of the main-line
  // arguments, counted in slot order from 1, stands in the stream as the
  // byte of its number, and command[k] is the character of place k for the
  // candidate being run.  A character costs one step wherever it goes, so
  // the stream then depends only on where the slots hold parameter letters
  // and on the lengths.  `fn` and `main_args` are the slots as the stream
  // reads them (places, or the characters themselves) while it is extended
  // call by call; one built whole at once numbers the places as it cuts
  // the slots themselves (build_full_stream).
  //
  // A stream of places built to its end (stream_full) also counts how often
  // each place occurs among the commands a run can execute (the last one of
  // a stream cut by the step limit is refused); each candidate's forward
  // commands follow from it without reading the stream.
  enum class StreamEnd { Open, Limit, FixedPoint, Idle };
  // A sum in the prints of runs, and the numbers it is made of
  // (run_prints.hpp).
  using PrintSum = std::uint64_t;
  static constexpr std::size_t kStreamWindow = std::size_t{1} << 22;
  static constexpr std::size_t kPlaces = 'X';  // places are the bytes 1 .. 'X' - 1
  static constexpr std::size_t kCompleteRoom = std::size_t{1} << 16;
  // What a node of the walk reads of its stream comes first, in the first
  // cache line or two: the serial, the part of the slots before the last
  // one, whether the stream is full and weighed, its places' counts and
  // weights; what a build and a run read after.
  struct alignas(64) StreamState {
    // Taken from stream_serials each time the cache entry is filled.
    std::uint64_t serial = 0;
    // What the function's slots before the last one make of this stream
    // under the node of the level above that `outer_stamp` (and for their
    // part of node_print, `function_stamp`) names, as bound_outer did then:
    // the forward commands at their places, the place after them, their
    // part of node_print and whether they hold "s" (2) and turns (1).  A
    // stream meets the same node of the level above again as the last slot
    // turns back to the same letters: most of the stream's nodes do.
    std::uint64_t outer_stamp = ~std::uint64_t{0};
    long long outer_goes = 0;
    std::size_t outer_place = 1;
    std::uint64_t function_stamp = ~std::uint64_t{0};
    PrintSum outer_function{};
    std::size_t function_place = 1;
    unsigned outer_moves = 0;
    bool stream_full = false;
    // For a full stream: each place's weights in the prints of runs
    // (run_prints.hpp), summed with the counts; for one another worker
    // built, once a print needs them.
    bool weighed = false;
    std::size_t place_count = 0;
    // The part of the prints of the stream's subtrees that the weights of
    // the main line's places (from main_print_from on) and the slots'
    // lengths make (node_print); main_print_from 0 when not worked out.
    std::size_t main_print_from = 0;
    PrintSum main_print{};
    // Counts of places 0 .. place_count (those above hold whatever an
    // earlier stream left: no byte of this one is such a place), and one
    // more, which a reader may look at times 0.  Sized by fit_places() as
    // the places become known, so that a stream of few places (most of
    // them) takes few pages.
    std::vector<std::uint32_t> occurs;
    std::vector<PrintSum> weight;
    std::vector<char> stream;  // stream_len bytes in use
    std::size_t stream_len = 0;
    std::size_t stream_base = 0;
    std::size_t room = 0;
    StreamEnd stream_end = StreamEnd::Open;
    bool first_call_done = false;
    bool swap_pending = false;
    bool letters = false;
    bool body_moves = false;
    unsigned live = 0;
    int idle = 0;
    bool places = false;
    // A stream that repeats its commands from `period_start` on, every
    // `period` commands, to its end (0: not known to).
    std::size_t period = 0;
    std::size_t period_start = 0;
    void fit_places() {
      if (occurs.size() < place_count + 2) {
        occurs.resize(place_count + 2);
        weight.resize(place_count + 2);
      }
    }
    std::array<std::string, N + 1> fn;
    std::array<std::string, N> main_args;
    // Argument values of the current call (X, Y, Z) and of the previous one
    // (oldX, oldY, oldZ), and the state a streak of idle levels is compared
    // with when the values may hold parameter letters.
    std::array<ArgValue, N> value;
    std::array<ArgValue, N> old;
    std::array<ArgValue, N> saved;
    std::uint64_t saved_power = 0;
    std::uint64_t saved_age = 0;
  };
  std::array<std::uint8_t, 256> command{};
  std::vector<PrintSum> print_numbers;
  // The part of the function's places of the prints, and for which stream
  // and slots.
  PrintSum print_fn{};
  // The part of node_print's function places (each place's weight times
  // its command), from its last call.
  PrintSum node_function{};
  const void* print_fn_stream = nullptr;
  std::uint64_t print_fn_generation = 0;
  long long goes_total = -1;    // forward commands of the stream, -1: not counted
  std::size_t main_places = 1;  // the first place of the main-line arguments
  std::uint64_t commands_generation = 0;
  void complete_stream();
  // Where the streams this worker weighed last lie in its cache.
  WeighedStreams weighed_streams;
  bool weights_from_twin(std::uint64_t hash, std::size_t runnable);
  template <typename Weigh>
  void weigh_once(std::size_t runnable, const Weigh& weigh);
  bool stream_cached() const {
    return loaded >= 0 && cache[static_cast<std::size_t>(loaded)].get() == st;
  }
  std::array<std::array<std::uint32_t, kPlaces>, 2> place_counts{};  // all 0 between streams
  std::array<std::array<PrintSum, kPlaces>, 2> place_weights{};      // the same
  long long forward_commands(std::size_t from, std::size_t to) const;
  long long function_goes = 0;  // forward commands at the function's places

  // What a stream of places depends on, packed: the lengths of the slots
  // (a byte each) and two bits per character of the function's slots
  // (a command, X, Y or Z).
  static constexpr std::size_t kKeyChars = 96;
  struct StreamKey {
    std::array<std::uint64_t, 1 + kKeyChars / 32> w{};
    bool operator==(const StreamKey& o) const {
      std::uint64_t differ = 0;
      for (std::size_t i = 0; i < w.size(); ++i) differ |= w[i] ^ o.w[i];
      return differ == 0;
    }
  };
  struct StreamKeyHash {
    std::size_t operator()(const StreamKey& k) const {
      std::uint64_t h = 0;
      for (const std::uint64_t x : k.w) {
        h = (h ^ x) * 0x9E3779B97F4A7C15ULL;
        h ^= h >> 29;
      }
      return static_cast<std::size_t>(h);
    }
  };
  bool places_key(StreamKey& key) const;
  // A key in the making: the slots' sizes so far, the bits of their
  // characters, the places they hold, and every character's class or-ed.
  struct KeyPart {
    StreamKey key;
    std::uint64_t sizes = 0;
    int shift = 0;
    std::size_t bit = 0;
    std::size_t count = 0;
    unsigned other = 0;
    void put_size(std::size_t n) {
      sizes |= static_cast<std::uint64_t>(n) << shift;
      shift += 8;
    }
  };
  bool add_slots(KeyPart& part, int from, int to) const;
  static bool put_slot_size(KeyPart& part, std::size_t n);
  static unsigned put_chars(StreamKey& key, std::size_t& bit, const std::string& code);
  unsigned put_last_slot(StreamKey& key, std::size_t& bit) const;
  static void put_two(StreamKey& key, std::size_t& bit, unsigned two);
  static bool one_run_of_commands(const std::string& code, int commands);
  bool finish_key(KeyPart& part, StreamKey& key) const;
  bool walk_places_key(StreamKey& key);
  // The walk's part of the key (walk_places_key): the key without the last
  // slot's characters, where they start, and the places without the last
  // slot's, for these sizes of the last slot and of the main line.
  StreamKey outer_key;
  std::size_t outer_bit = 0;
  std::size_t outer_count = 0;
  bool outer_part_ok = false;
  std::uint64_t outer_part_generation = 0;
  std::uint64_t outer_main_sizes = 0;
  std::size_t outer_last_size = 0;
  // The part of the function's slots before the last two, while
  // head_letters_generation stays.
  KeyPart head_part;
  bool head_part_ok = false;
  std::uint64_t head_part_generation = 0;
  void ensure_stream(const StreamKey& key);
  StreamKey places_now_key;  // the key of the current generation's stream
  // The streams of places the walk met last, by the walk's part of their
  // key (its id in outer_ids) and the last slot's letters, two bits a
  // character.  A node whose last slot turns back to letters met before
  // under the same part finds where its stream lies in the cache here,
  // without making its key and looking it up, while the cache entry keeps
  // the serial it had then.
  struct RecalledStream {
    std::uint64_t outer = 0;  // 0: none (ids start at 1)
    std::uint64_t pattern = 0;
    std::uint64_t serial = 0;
    int at = -1;
  };
  static constexpr int kRecalledLog2 = 9;
  std::array<RecalledStream, std::size_t{1} << kRecalledLog2> recalled{};
  KeyIds<StreamKey, StreamKeyHash, 9> outer_ids;
  std::uint64_t outer_id = 0;  // of outer_key, when outer_part_ok
  // What recall_stream() read, for the letters' generation it read it in.
  std::uint64_t recall_generation = 0;
  std::uint64_t recall_pattern = 0;
  bool walk_outer_part();
  bool finish_walk_key(StreamKey& key) const;
  bool recall_stream();
  void remember_stream();
  std::size_t recalled_slot(std::uint64_t pattern) const;
  void forget_recalled() { recalled.fill(RecalledStream{}); }
  // A slot cut into runs of places and parameter letters (full_stream.hpp).
  // A piece reads `len` bytes from `start` of its source plus the whole
  // value of that source, so that both kinds read alike: source p < N is
  // parameter p's value (start and len 0), source N the slots' text (a run
  // of places).
  struct Piece {
    std::uint16_t source;
    std::uint16_t start;
    std::uint16_t len;
  };
  struct Pieces {
    std::array<Piece, kKeyChars> piece;
    int count = 0;
    unsigned letters = 0;  // bit p: the slot names parameter p
  };
  static void cut_pieces(const std::string& code, std::size_t n, std::size_t& next, char* text,
                         std::size_t& used, Pieces& out);
  Pieces cut_body;                 // the body's pieces while building
  std::array<Pieces, N> cut_args;  // and the argument slots'

  void build_full_stream();
  // Values while building: those of the last four calls, each parameter's
  // in a buffer of its own within one block.
  static constexpr int kKeptCalls = 4;
  std::vector<char> scratch;
  // The body's pieces and those of the argument slots before the last one,
  // with where their text and places end, kept from one build to the next
  // while no letter of those slots moves (outer_letters_generation stays;
  // places are numbered whatever the commands) and the body is cut at the
  // same length, as for the builds below one node of the level above.
  // Builds asked for from outside the walk cut afresh.
  std::uint64_t cut_outer_generation = 0;
  std::size_t cut_outer_body = 0;
  std::size_t cut_outer_used = 0;
  std::size_t cut_outer_place = 0;
  bool cut_outer_kept = false;
  std::vector<char> scratch_text;  // the slots while building

  // The stream being run: `own` (streams of characters, which serve one
  // combination, and direct runs) or a cached one, `loaded`.  Recently used
  // streams of places are kept by key, so that slots that come back find
  // theirs; when the cache is full the oldest entry makes room.
  // `stream_stale` tells that `st` holds no stream (a direct run used
  // `own`).
  StreamState own;
  StreamState* st = &own;
  std::vector<std::unique_ptr<StreamState>> cache;
  std::vector<StreamKey> cache_key;
  static constexpr std::size_t kMostCached = 1024;
  KeyIndex<StreamKey, StreamKeyHash, kMostCached> cache_index;
  std::size_t next_victim = 0;
  int loaded = -1;
  std::uint64_t stream_serials = 0;
  bool stream_stale = true;
  std::size_t cache_limit() const;
  // Bumped by the odometer whenever a function slot changes (the commands
  // of the function's places hold while it stays), and whenever a function
  // slot's parameter letters may have moved (the loaded stream of places
  // and the choice of places hold while that stays).
  std::uint64_t slots_generation = 1;
  std::uint64_t letters_generation = 1;
  // The same for the function's slots before the last one, and for those
  // before the last two.
  std::uint64_t outer_letters_generation = 1;
  std::uint64_t head_letters_generation = 1;
  std::uint64_t stream_generation = 0;
  std::uint64_t places_generation = 0;
  bool places_now = false;
  bool use_places() const;
  std::size_t emitted() const { return st->stream_base + st->stream_len; }
  // The commands of a finished stream that a run may execute: the last one
  // of a stream cut by the step limit is refused.
  std::size_t runnable_commands() const {
    return st->stream_end == StreamEnd::Limit && st->stream_len != 0 ? st->stream_len - 1
                                                                     : st->stream_len;
  }
  const char* stream_bytes() const { return st->stream.data(); }
  void extend_stream();
  template <typename Bound>
  int run_body(const Bound& bound);
  int jikkou0();
  int jikkou();
  bool emit(const char* p, std::size_t n);
  template <typename Bound>
  void emit_body(const Bound& bound);

  // How the odometer walks: every candidate (Serial), counting the units of
  // a distribution (Count), or as a worker of an ordered pass (Worker).
  enum class Walk { Serial, Count, Worker };
  Walk walk = Walk::Serial;
  bool stop_walk = false;
  int cut = kSlots - 2;           // the level whose nodes make the units
  std::uint64_t nodes = 0;        // nodes of that level reached
  std::uint64_t group = 1;        // nodes of that level per unit
  std::uint64_t count_limit = 0;  // Count: stop once this many are reached
  bool unit_runs = false;         // Worker: the current unit is this worker's
  OrderedPass* pass = nullptr;
  OrderedPass::Cursor* cursor = nullptr;
  std::vector<std::unique_ptr<FixedSearch>> workers;  // the main search's workers
  std::uint64_t worker_commands = 0;                  // commands begun by finished passes
  bool enter_node();
  void prepare_workers(OrderedPass& ordered);
  void finish_pass(const OrderedPass& ordered);
  template <typename Work, typename Reached, typename Progress>
  void run_pass(OrderedPass& ordered, const Work& work, const Reached& reached,
                const Progress& progress);
  void run_distributions(const std::vector<Planned>& all);
  std::uint64_t count_nodes(int at, std::uint64_t limit);
  template <int L>
  unsigned count_key() const;
  template <int L>
  std::uint64_t counted_below_level();
  // By N - L and count_key<L>(); bit k of counted_keys[N - L]: counted.
  std::array<std::array<std::uint64_t, 8>, 2> counted_below{};
  std::array<unsigned, 2> counted_keys{};
  std::uint64_t prefixes() const;
  void recursion(const std::string& source, ArgValue& dest, std::size_t budget);
  bool build_values(std::size_t budget, bool from_stream);
  bool main_arguments_hold_letters() const;
  template <typename Bound>
  void start_levels(const Bound& bound);
  void recursion_with_letters(const std::string& source, ArgValue& dest, std::size_t budget);
  bool idle_level_ends_run(int& idle, bool letters_in_values);
  unsigned live_parameters() const;
  static void keep_emptiness_only(ArgValue& v);
  void build_emptiness_only(const code_parts& source, ArgValue& dest) const;
};

extern template struct FixedSearch<1>;
extern template struct FixedSearch<2>;
extern template struct FixedSearch<3>;

}  // namespace solver
