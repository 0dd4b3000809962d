#include "driver.hpp"

#include <memory>

#include "grid.hpp"
#include "input.hpp"
#include "limits.hpp"
#include "search.hpp"

namespace solver {

template <int N>
void fixed_main(Console& c) {
  using Search = FixedSearch<N>;
  Grid grid;
  input_mapdata(c, grid, kInputErrorLine);
  Limits lim;
  input_all_conditions(c, lim, Search::kTemplateBytes, Search::kThreshold);
  // The search state is large: keep it off the stack.
  auto search = std::make_unique<Search>(c, grid, lim);
  search->input_fixcode();
  search->input_restartcode();
  search->search();
}

template void fixed_main<1>(Console&);
template void fixed_main<2>(Console&);
template void fixed_main<3>(Console&);

}  // namespace solver
