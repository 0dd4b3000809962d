// The search limits and their dialogue.
#pragma once

#include "console.hpp"

namespace solver {

struct Limits {
  int bytes = 0;          // slot budget: the entered byte count less templatebytes
  int msteps = 0;         // step limit of a run, at least 1
  int mlastfail = 0;      // latest step at which a gray cell may be entered
  int restart = 0;        // 1: the search starts from a position given by the user
  int templatebytes = 0;  // bytes of the template itself (added back when printed)
};

// Asks the byte count, the step limit, the gray-cell limit and the restart
// question.  The budget (entry less `templatebytes`) must exceed `threshold`.
void input_all_conditions(Console& c, Limits& lim, int templatebytes, int threshold);

}  // namespace solver
