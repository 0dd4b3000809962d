// Non-blocking keyboard of the controlling terminal.
//
// Keys are read from /dev/tty, never from standard input, so a dialogue fed
// from a file still sees keystrokes typed at the terminal; with no terminal no
// key is ever reported.  While a search runs, a reader thread puts the
// terminal in non-canonical, no-echo mode and leaves at most one key waiting;
// the search's poll is a single atomic load.  The terminal's settings are
// restored when the search stops, when the object is destroyed, at exit and
// on SIGINT, SIGTERM and SIGHUP.
//
// While a search runs (between start and stop, with or without a terminal),
// SIGINT and SIGTERM do not kill the program: they arrive as a waiting
// "key" that `interrupt_signal` recognises, so the search prints its
// position like for a key press and then ends with status 128 + signal.  A
// second signal before the search has seen the first ends the program at
// once.
#pragma once

#include <atomic>
#include <thread>

namespace solver {

class Keyboard {
 public:
  Keyboard() = default;
  ~Keyboard();
  Keyboard(const Keyboard&) = delete;
  Keyboard& operator=(const Keyboard&) = delete;

  // Opens the controlling terminal.  Returns false when there is none.
  bool open_terminal();
  bool has_terminal() const { return fd_ >= 0; }

  // Raw mode and the reader thread, for the duration of a search.
  void start();
  void stop();
  bool running() const { return thread_.joinable(); }

  // _kbhit: is a keystroke waiting?  Costs one relaxed load.
  bool kbhit() const { return pending_.load(std::memory_order_relaxed) >= 0; }
  // _getch: takes the waiting keystroke, or -1 when there is none.
  int getch() { return pending_.exchange(-1, std::memory_order_acq_rel); }
  // Test hook: makes a key wait as if it had been typed.
  void inject(int key) { pending_.store(key & 0xff, std::memory_order_release); }

  // The key value by which a signal arrives, and back.
  static constexpr int kSignalKey = 0x100;
  static int interrupt_signal(int key) { return key >= kSignalKey ? key - kSignalKey : 0; }
  // Called from the signal handler: true when a running search takes it.
  bool deliver_signal(int sig) noexcept;

 private:
  void reader();

  int fd_ = -1;
  std::atomic<int> pending_{-1};
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

// Restores the terminal settings saved by the keyboard, if it changed them.
// Async-signal-safe.
void restore_terminal() noexcept;

}  // namespace solver
