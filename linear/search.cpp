#include "search.hpp"

#include <algorithm>
#include <ostream>

#include "decide.hpp"
#include "input.hpp"
#include "keyboard.hpp"
#include "ordered_pass.hpp"
#include "progress.hpp"

namespace solver {

namespace {

// The (A, C) pairs of one E in search order, each with its range of B and of
// D.  The literal loops run A from newbytes down to -newbytes and C the same
// way, passing over A = -1, A = 0, C = 0, |A| + |C| != newbytes; B over -255
// .. 255 with B of the sign opposite to A and A·E+B < E; D over -255 .. 255
// with C·E+D <= 255 and D >= 0 when C <= 0.  What is left is, for each A, C
// = +m then -m (m = newbytes - |A| > 0) and two ranges.  `visit` returns
// true to end the walk.  Products are formed in 64 bits: |A|, |C| and E all
// fit in 32 bits.
template <class Visit>
bool for_pairs(long long newbytes, int E, Visit&& visit) {
  // A > 1 + 254/E leaves no B: A·E+B < E needs B <= E·(1-A)-1 < -255.  The
  // walk starts below those A, which matters when newbytes is large.
  const long long top = E > 0 ? std::min(newbytes, 1 + 254LL / E) : newbytes;
  for (long long a = top; a >= -newbytes; --a) {
    if (a == -1 || a == 0) continue;
    const long long m = newbytes - (a < 0 ? -a : a);
    if (m <= 0) continue;
    const long long blo = a > 0 ? -255 : 1;
    const long long bhi = std::min<long long>(a > 0 ? -1 : 255, E * (1 - a) - 1);
    if (blo > bhi) continue;
    for (const long long cv : {m, -m}) {
      const long long dlo = cv <= 0 ? 0 : -255;
      const long long dhi = std::min<long long>(255, 255 - cv * E);
      if (dlo > dhi) continue;
      if (visit(static_cast<int>(a), static_cast<int>(cv), static_cast<int>(blo),
                static_cast<int>(bhi), static_cast<int>(dlo), static_cast<int>(dhi))) {
        return true;
      }
    }
  }
  return false;
}

}  // namespace

void LinearSearch::main_flow() {
  dialogue();
  search();
  record();
  c.ascii("search_end");
  c.endl();
}

void LinearSearch::prepare() {
  w.j = compile_fragment(j);
  w.jj = compile_fragment(jj);
  w.robot.bind(grid, lim.msteps, lim.mlastfail, prune);
  workers.clear();
  if (c.threads > 1) workers.resize(static_cast<std::size_t>(c.threads), w);
}

void LinearSearch::record() {
  runs = w.candidates;
  simulated = w.simulated;
  record_stats(c, runs, simulated, Robot{});
  if (c.stats != nullptr) c.stats->commands = commands + w.robot.commands();
}

void LinearSearch::report(const LinearWorker& winner) {
  w.A = winner.A;
  w.B = winner.B;
  w.C = winner.C;
  w.D = winner.D;
  w.E = winner.E;
  record();
  report_clear(c, grid, lim, winner.clear_steps, [this] { PRINT_CODE(); });
}

bool LinearSearch::search_e_serial(LinearWorker& wk) {
  const auto done = [this](int, int) {
    if (key_waiting(c))
      on_key(
          c, grid, lim, [this] { PRINT_CODE(); }, kInputErrorLineShort, false);
    return false;
  };
  return for_pairs(newbytes, wk.E, [&](int a, int cv, int blo, int bhi, int dlo, int dhi) {
    wk.A = a;
    wk.C = cv;
    for (int b = blo; b <= bhi; ++b) {
      wk.B = b;
      if (wk.decide(dlo, dhi, done) == Decided::Cleared) return true;
    }
    return false;
  });
}

// One E on several threads.  The units are runs of consecutive B values of
// one (A, C) pair, numbered in search order; every worker walks the same
// units and decides those it claims.  The earliest unit with a clear wins,
// and within it the first clear in order, so the solution and the count of
// candidates before it are those of the serial search.
bool LinearSearch::search_e_parallel(int threads) {
  // Groups of candidates (one B each) in this E, counted as far as the
  // choice of unit size needs.
  const long long enough = 256LL * 16 * threads;
  long long groups = 0;
  for_pairs(newbytes, w.E, [&](int, int, int blo, int bhi, int, int) {
    groups += bhi - blo + 1;
    return groups >= enough;
  });
  if (groups < 16LL * threads) return search_e_serial(w);
  // Units: runs of consecutive B, or, when B are few, one B with a run of
  // consecutive D (a few groups can hold most of the work of an E).  Either
  // way the units follow the search order.
  const long long wanted = 256LL * threads;
  const int block = static_cast<int>(std::clamp<long long>(groups / wanted, 1, 16));
  const int pieces = block > 1 ? 1 : static_cast<int>(std::clamp<long long>(wanted / groups, 1, 8));

  for (LinearWorker& wk : workers) {
    wk.E = w.E;
    wk.on_candidate = nullptr;
  }
  std::vector<std::uint64_t> simulated_before(workers.size());
  for (std::size_t i = 0; i < workers.size(); ++i) simulated_before[i] = workers[i].simulated;

  OrderedPass pass(threads);
  pass.run(
      [&](OrderedPass::Cursor& cur) {
        LinearWorker& wk = workers[static_cast<std::size_t>(cur.worker)];
        const auto done = [&](int, int) { return pass.checkpoint(cur); };
        // The unit's count goes to the cursor once, when the unit ends: the
        // cursors of the workers lie side by side.
        for_pairs(newbytes, wk.E, [&](int a, int cv, int blo, int bhi, int dlo, int dhi) {
          const int size = (dhi - dlo + pieces) / pieces;  // D per unit
          for (int b0 = blo; b0 <= bhi; b0 += block) {
            for (int d0 = dlo; d0 <= dhi; d0 += size) {
              const OrderedPass::Gate gate = pass.enter_unit(cur);
              if (gate == OrderedPass::Gate::Stop) return true;
              if (gate == OrderedPass::Gate::Skip) continue;
              wk.A = a;
              wk.C = cv;
              const int d1 = std::min(dhi, d0 + size - 1);
              const std::uint64_t before = wk.candidates;
              Decided r = Decided::None;
              for (int b = b0; b <= bhi && b < b0 + block && r == Decided::None; ++b) {
                wk.B = b;
                r = wk.decide(d0, d1, done);
              }
              cur.candidates += wk.candidates - before;
              if (r == Decided::Cleared) pass.found(cur);
              if (r != Decided::None) return true;
            }
          }
          return false;
        });
      },
      [this] { return key_waiting(c); },
      [&](int earliest) {
        if (earliest >= 0) {
          const LinearWorker& wk = workers[static_cast<std::size_t>(earliest)];
          w.A = wk.A;
          w.B = wk.B;
          w.C = wk.C;
          w.D = wk.D;
        }
        on_key(
            c, grid, lim, [this] { PRINT_CODE(); }, kInputErrorLineShort, false);
      });

  w.candidates += pass.candidates_in_order();
  for (std::size_t i = 0; i < workers.size(); ++i)
    w.simulated += workers[i].simulated - simulated_before[i];
  commands = 0;
  for (const LinearWorker& wk : workers) commands += wk.robot.commands();
  if (pass.best_unit() == OrderedPass::kNone) return false;
  report(workers[static_cast<std::size_t>(pass.best_worker())]);
}

// Every E from startE down to 0, outermost first; within an E the pairs,
// then B, then D, as the literal loops run them.
void LinearSearch::search() {
  prepare();
  c.keys.start();
  for (int e = startE; e >= 0; --e) {
    w.E = e;
    c.out << e << std::endl;
    printtime(c, grid, lim);
    // Only an E whose runs move the robot is worth the threads.
    const bool moves = e >= 1 && e <= kMaxArgument && !(w.j.empty() && w.jj.empty());
    const bool cleared = c.threads > 1 && moves ? search_e_parallel(c.threads) : search_e_serial(w);
    if (cleared) report(w);
  }
  c.keys.stop();
}

}  // namespace solver
