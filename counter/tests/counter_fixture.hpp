// A counter search on a string console, with maps drawn for the tests.
#pragma once

#include <cstdlib>
#include <ctime>
#include <initializer_list>
#include <string>
#include <utility>

#include "console_harness.hpp"
#include "search.hpp"

namespace solver::testing {

// An open 25 x 25 floor, start at column 13, row 13, one target in the top
// left corner and the given cells drawn over it.
inline std::string open_floor(
    std::initializer_list<std::pair<std::pair<int, int>, char>> cells = {}) {
  std::string map(625, '.');
  map[12 * 25 + 12] = 'u';
  map[0] = 'o';
  for (const auto& [xy, ch] : cells) map[(xy.second - 1) * 25 + (xy.first - 1)] = ch;
  return map;
}

// The corridor of map 0001: the only target four cells above the start.
inline std::string corridor() {
  return open_floor({{{1, 1}, '.'},
                     {{13, 9}, 'o'},
                     {{12, 9}, 'x'},
                     {{14, 9}, 'x'},
                     {{12, 13}, 'x'},
                     {{14, 13}, 'x'}});
}

struct CounterFixture {
  explicit CounterFixture(const std::string& input = "", const std::string& map = open_floor())
      : h(input), s(h.c) {
    setenv("TZ", "UTC", 1);
    tzset();
    load_map(h.c, s.grid, map);
    s.grid.mapname = "0001";
    h.out.str("");
    s.lim.templatebytes = kCounterTemplateBytes;
    s.lim.mlastfail = 0;
    limits(2, 100);
  }

  void limits(int bytes, int msteps) {
    s.lim.bytes = bytes;
    s.lim.msteps = msteps;
    s.prepare();
  }

  // Puts fragments into the four slots (counters and lengths included).
  void fill(const char* j, const char* a, const char* jj, const char* aa) {
    set(s.j, j);
    set(s.a, a);
    set(s.jj, jj);
    set(s.aa, aa);
  }

  static void set(code_parts& p, const std::string& code) { set_fragment(p, code); }

  std::string out() const { return h.out.str(); }

  ConsoleHarness h;
  CounterSearch s;
};

inline const char* const kTime = "Tue Dec  8 15:43:33 2026\n";
inline const char* const kHint = "何かキーを押すと検索位置を出力します．pを押すと中断します．\n\n";

}  // namespace solver::testing
