// Progress lines, the pause dialogue and the report of a clear.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "console.hpp"
#include "grid.hpp"
#include "keyboard.hpp"
#include "robot.hpp"
#include "limits.hpp"

namespace solver {

// The 25-character form of the C library's asctime, newline included.
std::string asctime_line(std::time_t t);

// Problem and limits line, then the local time.
void printtime(Console& c, const Grid& g, const Limits& lim);

// The hint that a key shows the search position and "p" suspends.
void message(Console& c);

// Suspends the search until "r"; "q" ends the program with status 0.
// The terminal is in line mode while the answer is read.
void pause(Console& c, std::u8string_view error_line);

// The poll made once per candidate: when a key waits, print the time lines
// and the search position, take the key, pause on "p", then print the hint
// (when `hint` is set).  An interrupt (SIGINT, SIGTERM during the search)
// shows the position the same way and ends with status 128 + signal.
inline bool key_waiting(const Console& c) {
  return c.keys.kbhit();
}
void on_key(Console& c, const Grid& g, const Limits& lim,
            const std::function<void()>& print_position, std::u8string_view pause_error_line,
            bool hint);

// Hands the search's counts to whoever asked through the console.
void record_stats(Console& c, std::uint64_t candidates, std::uint64_t runs, const Robot& robot);

// The clear: time lines, the solution, "<steps>steps!! clear!!", status 0.
[[noreturn]] void report_clear(Console& c, const Grid& g, const Limits& lim, int steps,
                               const std::function<void()>& print_solution);

}  // namespace solver
