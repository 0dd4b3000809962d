// The start-up dialogues of the counter-template search.
#include <memory>

#include "input.hpp"
#include "search.hpp"

namespace solver {

void CounterSearch::input_restartcode() {
  if (lim.restart != 1) return;
  for (;;) {
    c.ascii(kCounterTemplateLine);
    c.endl();
    input_code_parts(c, resj, 1, 1);
    input_code_parts(c, resa, 2, 1);
    input_code_parts(c, resjj, 3, 1);
    input_code_parts(c, resaa, 4, 0);  // the main-line argument holds no X
    const long long sum =
        static_cast<long long>(resj.length) + resa.length + resjj.length + resaa.length;
    // The whole budget in [1] is no position of this search either.
    const bool only_body = resa.length == 0 && resjj.length == 0 && resaa.length == 0;
    if (sum == lim.bytes && !only_body) return;
    c.line(u8"バイト数が一致しません");
  }
}

void run_counter(Console& c) {
  auto s = std::make_unique<CounterSearch>(c);
  input_mapdata(c, s->grid, kInputErrorLine);
  input_all_conditions(c, s->lim, kCounterTemplateBytes, kCounterBudgetThreshold);
  s->input_restartcode();
  s->search();
}

}  // namespace solver
