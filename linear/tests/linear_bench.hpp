// A linear search on a loaded map, driven in-process.
#pragma once

#include <cstdlib>
#include <ctime>
#include <string>
#include <string_view>

#include "catalogue.hpp"
#include "console_harness.hpp"
#include "search.hpp"

namespace solver::testing {

// A map of floor with the start in the middle; `extra` cells are drawn over it.
inline std::string open_map(char fill = '.') {
  std::string map(625, fill);
  map[12 * 25 + 12] = 'u';
  return map;
}

inline std::string_view catalogue_map(std::string_view id) {
  for (const auto& e : kCatalogue)
    if (e.id == id) return e.map;
  return {};
}

struct Bench {
  explicit Bench(const std::string& input = "") : h(input), s(h.c) {
    setenv("TZ", "UTC", 1);
    tzset();
  }

  // Loads a map and sets the fragments and limits as the dialogue would.
  void setup(std::string_view map, std::string j, std::string jj, int bytes, int msteps,
             int mlastfail, int startE, bool prune = false) {
    load_map(h.c, s.grid, map);
    s.grid.mapname = "0001";
    h.out.str("");
    s.j = std::move(j);
    s.jj = std::move(jj);
    s.lim.bytes = bytes;
    s.lim.msteps = msteps;
    s.lim.mlastfail = mlastfail;
    s.startE = startE;
    s.newbytes = static_cast<long long>(bytes) - static_cast<long long>(s.j.size()) -
                 static_cast<long long>(s.jj.size()) - 8;
    s.prune = prune;
    s.prepare();
  }

  void candidate(int a, int b, int c, int d, int e) {
    s.w.A = a;
    s.w.B = b;
    s.w.C = c;
    s.w.D = d;
    s.w.E = e;
  }

  ConsoleHarness h;
  LinearSearch s;
};

inline const char* const kTime = "Tue Dec  8 15:43:33 2026\n";

}  // namespace solver::testing
