// Formatted reads of the dialogues with the shared failure path.
#pragma once

#include <istream>
#include <string>
#include <string_view>

#include "console.hpp"

namespace solver {

inline constexpr std::u8string_view kInputErrorLine = u8"入力に誤りがあります";
inline constexpr std::u8string_view kInputErrorLineShort = u8"入力エラー";

// After a failed read: clear the error state and drop the rest of the line
// (at most 1024 characters, through the line end).  Throws InputEnded when
// the input has ended, so that no dialogue can ask again without end.
void recover_failed_read(Console& c);

// One formatted read.  Returns false after a failed read (already recovered;
// the caller prints its error line and asks again).
template <typename T>
bool read_value(Console& c, T& value) {
  if (c.in >> value) return true;
  recover_failed_read(c);
  return false;
}

// Prints the input error line "入力に誤りがあります".
void input_error_message(Console& c);

// Prompts (no line end, flushed) and reads one integer, asking again after a
// failed read.  No range is checked.
void input_num(Console& c, int& value, std::u8string_view prompt);

// The same with a chosen error line (the linear program says "入力エラー").
void input_num_with(Console& c, int& value, std::u8string_view prompt,
                    std::u8string_view error_line);

}  // namespace solver
