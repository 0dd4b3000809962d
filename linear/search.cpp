#include "search.hpp"

#include <ostream>

#include "input.hpp"
#include "keyboard.hpp"
#include "progress.hpp"

namespace solver {

void LinearSearch::main_flow() {
  dialogue();
  search();
  record_stats(c, runs, runs, robot);
  c.ascii("search_end");
  c.endl();
}

void LinearSearch::run_candidate() {
  simulate();
  if (on_run) on_run(*this);
  if (robot.cleared) {
    record_stats(c, runs, runs, robot);
    report_clear(c, grid, lim, robot.steps, [this] { PRINT_CODE(); });
  }
  if (key_waiting(c))
    on_key(
        c, grid, lim, [this] { PRINT_CODE(); }, kInputErrorLineShort, false);
}

// Five nested loops, outermost first; a value that fails a test is passed
// over.  Products with E are formed in 64 bits, so no entry can overflow.
void LinearSearch::search() {
  c.keys.start();
  for (int e = startE; e >= 0; --e) {
    E = e;
    c.out << E << std::endl;
    printtime(c, grid, lim);
    for (long long a = newbytes; a >= -newbytes; --a) {
      if (a == -1 || a == 0) continue;
      A = static_cast<int>(a);
      // C runs down over [-newbytes, newbytes], passing over 0 and every value
      // with |A| + |C| != newbytes: what is left is +m, then -m.
      const long long m = newbytes - (a < 0 ? -a : a);
      if (m <= 0) continue;
      for (const long long cv : {m, -m}) {
        C = static_cast<int>(cv);
        for (int b = -255; b <= 255; ++b) {
          if (A <= 0 && b <= 0) continue;
          if (A >= 0 && b >= 0) continue;
          if (static_cast<long long>(A) * E + b >= E) continue;
          B = b;
          for (int d = -255; d <= 255; ++d) {
            if (static_cast<long long>(C) * E + d > 255) continue;
            if (C <= 0 && d < 0) continue;
            D = d;
            run_candidate();
          }
        }
      }
    }
  }
  c.keys.stop();
}

}  // namespace solver
