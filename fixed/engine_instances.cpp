#include "search.hpp"

namespace solver {

template struct FixedSearch<1>;
template struct FixedSearch<2>;
template struct FixedSearch<3>;

}  // namespace solver
