// A console bound to string streams, for driving dialogues in tests.
#pragma once

#include <sstream>
#include <string>

#include "console.hpp"
#include "keyboard.hpp"

namespace solver::testing {

struct ConsoleHarness {
  explicit ConsoleHarness(const std::string& input = "", Encoding enc = Encoding::Utf8)
      : in(input), c{in, out, keys, enc, &fixed_clock} {}

  // 2026-12-08 15:43:33 UTC
  static std::time_t fixed_clock() { return 1796744613; }

  std::istringstream in;
  std::ostringstream out;
  Keyboard keys;
  Console c;

  std::string rest() {
    std::string r;
    std::getline(in, r, '\0');
    return r;
  }
};

}  // namespace solver::testing
