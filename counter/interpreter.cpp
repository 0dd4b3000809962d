// One run of a filled counter template, and its printed form.
#include <cassert>
#include <ostream>

#include "progress.hpp"
#include "search.hpp"

namespace solver {

void CounterSearch::simulate() {
  robot.reset();
  args[0].assign(aa.code);
  expand(0, T);
  if (robot.cleared) {
    record();
    report_clear(c, grid, lim, robot.steps, [this] { PRINT_CODE(0); });
  }
}

int CounterSearch::expand(int level, int n) {
  if (n <= 0) return 0;
  assert(level + 1 < static_cast<int>(args.size()));
  const std::string& x = args[static_cast<std::size_t>(level)];
  if (jikkou(j.code, x) == -1) return -1;
  std::string& next = args[static_cast<std::size_t>(level) + 1];
  // Built and tested at every level, also the last one whose call with
  // count 0 never uses it.
  recursion(x, next);
  if (next.size() > static_cast<std::size_t>(robot.msteps)) return -1;
  if (expand(level + 1, n - 1) == -1) return -1;
  if (jikkou(jj.code, x) == -1) return -1;
  return 0;
}

int CounterSearch::jikkou(std::string_view code, std::string_view x) {
  return run_with_parameters<1>(robot, code, [x](int) { return x; });
}

void CounterSearch::recursion(std::string_view x, std::string& out) {
  out.clear();
  const std::size_t limit = static_cast<std::size_t>(robot.msteps);
  for (const char ch : a.code) {
    switch (ch) {
      case 's':
      case 'r':
      case 'l':
        out.push_back(ch);
        break;
      case 'X':
        // Never more than one letter past the limit.
        out.append(x.substr(0, limit + 1 - out.size()));
        break;
      default:
        break;
    }
    if (out.size() > limit) return;
  }
}

void CounterSearch::PRINT_CODE(int mode) {
  c.ascii(kCounterTemplateLine);
  c.endl();
  PRINT_CODE_PARTS(c, 1, mode, j, 1);
  PRINT_CODE_PARTS(c, 2, mode, a, 1);
  PRINT_CODE_PARTS(c, 3, mode, jj, 1);
  PRINT_CODE_PARTS(c, 4, mode, aa, 1);
  c.out << "T=" << T << std::endl;
}

}  // namespace solver
