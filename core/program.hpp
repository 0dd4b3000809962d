// The frame every program runs in: arguments, console, terminal, exit status.
#pragma once

#include <string_view>

#include "console.hpp"

namespace solver {

struct ProgramInfo {
  std::string_view name;     // e.g. "solver3"
  std::string_view summary;  // one line: what the program searches
};

// Handles --help/-h and refuses other arguments (status 2); binds the console
// to the standard streams and the controlling terminal; runs `body` and turns
// its ending into the exit status: 0 normally, the status of a ProgramExit,
// and 1 when standard input ends before a dialogue is complete.  The terminal
// is restored on every way out.
int run_program(int argc, char** argv, const ProgramInfo& info, void (*body)(Console&));

}  // namespace solver
