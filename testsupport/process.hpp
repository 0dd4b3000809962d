// Runs a built program with text on standard input, for end-to-end tests.
#pragma once

#include <string>
#include <vector>

namespace solver::testing {

struct RunResult {
  std::string out;
  std::string err;
  int status = -1;  // exit status, or 128 + signal
  bool timed_out = false;
};

// Starts `program` with `args`, writes `input` to its standard input and
// closes it, collects both outputs.  `env` entries ("NAME=value") are added
// to the environment.  The program is killed after `timeout_seconds`.  With
// `send_signal`, that signal is sent `signal_after_ms` after the start.
RunResult run_program(const std::string& program, const std::vector<std::string>& args,
                      const std::string& input, const std::vector<std::string>& env = {},
                      int timeout_seconds = 60, int send_signal = 0, int signal_after_ms = 0);

// Replaces every line in the form of the C library's asctime with "<time>".
std::string mask_time_lines(const std::string& text);

// Path of a built program, from the directory given at build time.
std::string program_path(const std::string& name);

}  // namespace solver::testing
