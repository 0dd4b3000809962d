// The filled template: the template line, then one line per slot.
#pragma once

#include <ostream>

#include "engine.hpp"

namespace solver {

template <int N>
void FixedSearch<N>::PRINT_CODE(int detail) {
  c.ascii(kTemplate);
  c.endl();
  for (int n = 1; n <= kSlots; ++n) PRINT_CODE_PARTS(c, n, detail, slot[n - 1], N);
}

}  // namespace solver
