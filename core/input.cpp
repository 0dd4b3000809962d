#include "input.hpp"

#include <limits>

namespace solver {

void recover_failed_read(Console& c) {
  if (c.in.eof()) throw InputEnded{};
  c.in.clear();
  c.in.ignore(1024, '\n');
}

void input_error_message(Console& c) {
  c.line(kInputErrorLine);
}

void input_num_with(Console& c, int& value, std::u8string_view prompt,
                    std::u8string_view error_line) {
  for (;;) {
    c.say(prompt);
    c.flush();
    if (read_value(c, value)) return;
    c.line(error_line);
  }
}

void input_num(Console& c, int& value, std::u8string_view prompt) {
  input_num_with(c, value, prompt, kInputErrorLine);
}

}  // namespace solver
