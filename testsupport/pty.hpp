// Runs a built program on a pseudo-terminal, for tests of the keys typed
// during a search and of the terminal's settings.
#pragma once

#include <sys/types.h>
#include <termios.h>

#include <string>
#include <string_view>
#include <vector>

namespace solver::testing {

class PtyProcess {
 public:
  // Starts `program` with a new pseudo-terminal as its controlling terminal,
  // standard input, output and error.  `env` entries ("NAME=value") are
  // added to the environment.  The terminal side stays open here as well,
  // so its settings can be read at any time.
  PtyProcess(const std::string& program, const std::vector<std::string>& env);
  ~PtyProcess();  // kills the program if it still runs
  PtyProcess(const PtyProcess&) = delete;
  PtyProcess& operator=(const PtyProcess&) = delete;

  bool started() const { return pid_ > 0; }

  // Types text at the terminal.
  void send(std::string_view text);

  // Everything the program wrote so far, with the terminal's "\r" removed.
  const std::string& output() const { return out_; }

  // Reads until `text` occurs at or after `from` in the output; returns its
  // position, or std::string::npos after `timeout_ms`.
  std::size_t wait_for(std::string_view text, std::size_t from = 0, int timeout_ms = 10000);

  // Waits until the terminal is in line mode (ICANON set) or not.
  bool wait_for_line_mode(bool on, int timeout_ms = 10000);

  // The terminal's current settings.
  termios attributes() const;

  // Waits for the program to end: its exit status (128 + signal when it was
  // killed by one), or -1 after `timeout_ms`.
  int wait_exit(int timeout_ms = 10000);

 private:
  void pump(int timeout_ms);

  int master_ = -1;
  int slave_ = -1;
  pid_t pid_ = -1;
  int status_ = -1;
  std::string out_;
};

}  // namespace solver::testing
