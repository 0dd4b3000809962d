#include "progress.hpp"

#include <cstdio>
#include <ctime>
#include <istream>
#include <ostream>

#include "input.hpp"
#include "keyboard.hpp"

namespace solver {

std::string asctime_line(std::time_t t) {
  static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  struct tm tm {};
  localtime_r(&t, &tm);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.3s %.3s%3d %.2d:%.2d:%.2d %d\n", kDays[tm.tm_wday % 7],
                kMonths[tm.tm_mon % 12], tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec,
                1900 + tm.tm_year);
  return buf;
}

void printtime(Console& c, const Grid& g, const Limits& lim) {
  const long long entered = static_cast<long long>(lim.bytes) + lim.templatebytes;
  c.out << g.mapname << ',' << lim.msteps << "msteps," << lim.mlastfail << "mlastfail," << entered
        << "bytes" << std::endl;
  c.out << asctime_line(c.now());
}

void message(Console& c) {
  c.say(u8"何かキーを押すと検索位置を出力します．pを押すと中断します．");
  c.endl();
  c.endl();
}

void pause(Console& c, std::u8string_view error_line) {
  c.line(u8"r：再開，q:終了");
  const bool was_running = c.keys.running();
  c.keys.stop();  // line mode while the answer is typed
  for (;;) {
    char ch = 0;
    if (!read_value(c, ch)) {
      c.line(error_line);
      continue;
    }
    if (ch == 'r') break;
    if (ch == 'q') throw ProgramExit{0};
  }
  if (was_running) c.keys.start();
}

void on_key(Console& c, const Grid& g, const Limits& lim,
            const std::function<void()>& print_position, std::u8string_view pause_error_line,
            bool hint) {
  printtime(c, g, lim);
  print_position();
  const int key = c.keys.getch();
  if (const int sig = Keyboard::interrupt_signal(key)) throw ProgramExit{128 + sig};
  if (key == 'p') pause(c, pause_error_line);
  if (hint) message(c);
}

void record_stats(Console& c, std::uint64_t candidates, std::uint64_t runs, const Robot& robot) {
  if (c.stats == nullptr) return;
  c.stats->candidates = candidates;
  c.stats->runs = runs;
  c.stats->commands = robot.commands + static_cast<std::uint64_t>(robot.steps);
}

void report_clear(Console& c, const Grid& g, const Limits& lim, int steps,
                  const std::function<void()>& print_solution) {
  printtime(c, g, lim);
  print_solution();
  c.out << steps << "steps!! clear!!" << std::endl;
  throw ProgramExit{0};
}

}  // namespace solver
