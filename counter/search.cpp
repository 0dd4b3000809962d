// The slot odometer and the search loop over the length distributions.
#include "search.hpp"

#include <algorithm>

#include "input.hpp"
#include "progress.hpp"

namespace solver {

void CounterSearch::prepare() {
  robot.bind(grid, lim.msteps, lim.mlastfail);
  // Arguments never exceed msteps + 1 letters; a larger buffer grows once
  // and keeps its capacity for the later runs.
  const std::size_t reserve = std::min<std::size_t>(static_cast<std::size_t>(lim.msteps) + 1, 4096);
  for (std::string& s : args) s.reserve(reserve);
}

void CounterSearch::search() {
  prepare();
  get_firstlength();
  c.keys.start();
  do {
    getnewj();
  } while (get_newlength() != -1);
  c.keys.stop();
  record_stats(c, candidates, runs, robot);
  printtime(c, grid, lim);
  c.ascii("search_end\n");
  c.endl();
}

void CounterSearch::getnewj() {
  getsss(j);
  do {
    getnewa();
  } while (getnew1(j) != -1);
}

void CounterSearch::getnewa() {
  getsss(a);
  do {
    getnewaa();
  } while (getnew1(a) != -1);
}

void CounterSearch::getnewaa() {
  getsss(aa);
  do {
    getnewjj();
  } while (getnew0(aa) != -1);
}

void CounterSearch::getnewjj() {
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
  do {
    evaluate();
  } while (getnew1(jj) != -1);
}

void CounterSearch::evaluate() {
  ++candidates;
  if (j.xcount != 0 || jj.xcount != 0) {
    for (T = 1; T <= kCounterLastT; ++T) {
      ++runs;
      if (on_run) on_run(*this);
      simulate();
    }
  }
  if (key_waiting(c))
    on_key(
        c, grid, lim, [&] { PRINT_CODE(0); }, kInputErrorLine, true);
}

}  // namespace solver
