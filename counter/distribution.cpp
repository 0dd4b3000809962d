// Length distributions of the four slots: [1] grows slowest, then [3], then
// [4]; [2] takes what is left of the budget.
#include "search.hpp"

namespace solver {

void CounterSearch::get_firstlength() {
  if (lim.restart == 0) {
    j.length = 0;
    a.length = lim.bytes - 1;
    jj.length = 1;
    aa.length = 0;
    getsss(j);
    getsss(a);
    getsss(jj);
    getsss(aa);
  } else {
    // The slots are loaded from the resumption records by the innermost level.
    j.length = resj.length;
    a.length = resa.length;
    jj.length = resjj.length;
    aa.length = resaa.length;
  }
  printlength(c, grid, lim, {&j, &a, &jj, &aa});
}

int CounterSearch::get_newlength() {
  do {
    if (a.length != 0) {
      ++aa.length;
    } else if (aa.length != 0) {
      ++jj.length;
      aa.length = 0;
    } else if (jj.length != 1) {
      ++j.length;
      jj.length = 1;
    } else {
      return -1;
    }
    a.length = lim.bytes - jj.length - j.length - aa.length;
    // Only a start with the whole budget in [1] leads here; the restart
    // dialogue refuses it, and the counter must not run on without end.
    if (a.length < 0) return -1;
  } while (aa.length == 0 && a.length == 0);
  printlength(c, grid, lim, {&j, &a, &jj, &aa});
  return 0;
}

}  // namespace solver
