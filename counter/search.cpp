// The slot odometer, the search loop over the length distributions and the
// parallel passes.
#include "search.hpp"

#include <algorithm>
#include <cmath>

#include "input.hpp"
#include "progress.hpp"

namespace solver {

namespace {

// Units wanted per worker, so that the last units end close together.
constexpr double kUnitsPerWorker = 64;
// Most triples [1], [2], [4] in one unit.
constexpr double kMaxGroup = 16;

}  // namespace

void CounterSearch::prepare() {
  robot.bind(grid, lim.msteps, lim.mlastfail);
  fast.bind(grid, lim);
  // Arguments never exceed msteps + 1 letters; a larger buffer grows once
  // and keeps its capacity for the later runs.
  const std::size_t reserve = std::min<std::size_t>(static_cast<std::size_t>(lim.msteps) + 1, 4096);
  for (std::string& s : args) s.reserve(reserve);
}

void CounterSearch::record() {
  std::uint64_t runs = fast.runs;
  std::uint64_t commands = fast.commands + robot.commands + static_cast<std::uint64_t>(robot.steps);
  for (const auto& w : workers_) {
    runs += w->fast.runs;
    commands += w->fast.commands;
  }
  record_stats(c, candidates, runs, robot);
  if (c.stats != nullptr) c.stats->commands = commands;
}

void CounterSearch::search() {
  prepare();
  get_firstlength();
  c.keys.start();
  do {
    if (!parallel_pass()) walk(nullptr, nullptr, {});
  } while (get_newlength() != -1);
  c.keys.stop();
  record();
  printtime(c, grid, lim);
  c.ascii("search_end\n");
  c.endl();
}

bool CounterSearch::walk(OrderedPass* pass, OrderedPass::Cursor* cur, Units units) {
  triples_walked_ = 0;
  running_ = false;
  getsss(j);
  do {
    getsss(a);
    do {
      getsss(aa);
      do {
        if (!walk_jj(pass, cur, units)) return false;
      } while (getnew0(aa) != -1);
    } while (getnew1(a) != -1);
  } while (getnew1(j) != -1);
  return true;
}

bool CounterSearch::walk_jj(OrderedPass* pass, OrderedPass::Cursor* cur, Units units) {
  getsss(jj);
  if (lim.restart == 1) {
    // Once per search: the resumption candidate is the first one evaluated,
    // and every level steps on from its fragment.
    lim.restart = 0;
    j = resj;
    a = resa;
    jj = resjj;
    aa = resaa;
  }
  fast.forget_prefix();
  if (pass == nullptr) {
    do {
      evaluate();
    } while (getnew1(jj) != -1);
    return true;
  }
  // At a unit's first candidate: run it, skip it, or stop.
  const auto enter = [&] {
    switch (pass->enter_unit(*cur)) {
      case OrderedPass::Gate::Stop:
        return false;
      case OrderedPass::Gate::Skip:
        running_ = false;
        break;
      case OrderedPass::Gate::Run:
        // Every unit holds a [3] with X, so past the first unit some
        // candidate of this search has been run (parallel_pass cuts [3]
        // loops only once that is so from the start).
        if (cur->unit > 0) T = kCounterLastT + 1;
        running_ = true;
        break;
    }
    return true;
  };
  if (units.chunk == 0) {
    if (triples_walked_++ % units.group == 0 && !enter()) return false;
    if (!running_) return true;
  }
  std::uint64_t i = 0;
  do {
    if (units.chunk != 0 && i++ % units.chunk == 0 && !enter()) return false;
    if (!running_) continue;
    ++cur->candidates;
    if (run_candidate()) {
      pass->found(*cur);
      return false;
    }
    if (pass->checkpoint(*cur)) return false;
  } while (getnew1(jj) != -1);
  return true;
}

bool CounterSearch::run_candidate() {
  if (j.xcount == 0 && jj.xcount == 0) return false;
  if (on_run) on_run(*this);
  const int t = fast.run(j, a, jj, aa, clear_steps);
  T = t != 0 ? t : kCounterLastT + 1;
  return t != 0;
}

void CounterSearch::evaluate() {
  ++candidates;
  if (run_candidate()) {
    record();
    report_clear(c, grid, lim, clear_steps, [this] { PRINT_CODE(0); });
  }
  if (key_waiting(c))
    on_key(
        c, grid, lim, [&] { PRINT_CODE(0); }, kInputErrorLine, true);
}

bool CounterSearch::parallel_pass() {
  const int threads = c.threads;
  // The search that starts from a resumption position runs alone.
  if (threads <= 1 || lim.restart == 1) return false;
  const double triples = fragment_count(j.length, true) * fragment_count(a.length, true) *
                         fragment_count(aa.length, false);
  const double per_triple = fragment_count(jj.length, true);
  const double total = triples * per_triple;
  if (total < parallel_min_candidates) return false;
  // Few triples: cut their [3] loops too.  Only once a candidate has been
  // run (T is 20), so that a worker starting inside a loop knows its T.
  Units units;
  const double wanted = kUnitsPerWorker * threads;
  if (triples >= wanted) {
    // A worker walks through the units of the others without running them
    // (and without parking): keep them short.
    units.group = static_cast<std::uint64_t>(std::min(kMaxGroup, std::floor(triples / wanted)));
  } else if (T == kCounterLastT + 1) {
    const double size = std::max(1.0, std::floor(total / wanted));
    if (size < per_triple) units.chunk = static_cast<std::uint64_t>(size);
  }

  // A key that came while the last distribution ended: the position is the
  // first candidate of this one, before which everything has been run.
  if (key_waiting(c)) {
    getsss(j);
    getsss(a);
    getsss(jj);
    getsss(aa);
    on_key(
        c, grid, lim, [&] { PRINT_CODE(0); }, kInputErrorLine, true);
  }

  while (static_cast<int>(workers_.size()) < threads) {
    auto w = std::make_unique<CounterSearch>(c);
    w->grid = grid;
    w->lim = lim;
    w->prepare();
    workers_.push_back(std::move(w));
  }
  for (int n = 0; n < threads; ++n) {
    CounterSearch& w = *workers_[static_cast<std::size_t>(n)];
    w.j = j;
    w.a = a;
    w.jj = jj;
    w.aa = aa;
    w.T = T;
  }

  ++parallel_passes;
  if (units.chunk != 0) ++cut_passes;
  if (units.group > 1) ++grouped_passes;
  OrderedPass pass(threads);
  pass.run(
      [&](OrderedPass::Cursor& cur) {
        workers_[static_cast<std::size_t>(cur.worker)]->walk(&pass, &cur, units);
      },
      [&] { return key_waiting(c); },
      [&](int earliest) {
        // Every candidate before the earliest parked worker's has been run.
        if (earliest >= 0) {
          const CounterSearch& w = *workers_[static_cast<std::size_t>(earliest)];
          j = w.j;
          a = w.a;
          jj = w.jj;
          aa = w.aa;
          T = w.T;
        }
        on_key(
            c, grid, lim, [&] { PRINT_CODE(0); }, kInputErrorLine, true);
      });
  candidates += pass.candidates_in_order();
  if (pass.best_unit() != OrderedPass::kNone) {
    const CounterSearch& w = *workers_[static_cast<std::size_t>(pass.best_worker())];
    j = w.j;
    a = w.a;
    jj = w.jj;
    aa = w.aa;
    T = w.T;
    record();
    report_clear(c, grid, lim, w.clear_steps, [this] { PRINT_CODE(0); });
  }
  T = kCounterLastT + 1;
  return true;
}

}  // namespace solver
