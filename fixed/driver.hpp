// The entry of solver3, solver2 and solver1: the dialogues, then the search.
#pragma once

#include "console.hpp"

namespace solver {

template <int N>
void fixed_main(Console& c);

extern template void fixed_main<1>(Console&);
extern template void fixed_main<2>(Console&);
extern template void fixed_main<3>(Console&);

}  // namespace solver
