// Helpers for driving the fixed-template engine in-process.
#pragma once

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "catalogue.hpp"
#include "console_harness.hpp"
#include "search.hpp"

namespace solver::testing {

// A slot record holding `code`, with its length and counters.
inline code_parts part(const std::string& code) {
  code_parts p;
  set_fragment(p, code);
  return p;
}

// The catalogue map with this ID, loaded without its echo.
inline Grid catalogue_grid(const std::string& id) {
  ConsoleHarness h;
  Grid g;
  for (const CatalogueEntry& e : kCatalogue) {
    if (e.id == id) load_map(h.c, g, e.map);
  }
  g.mapname = id;
  return g;
}

// An open 25 x 25 floor inside the border, start in the middle, no target.
inline Grid open_grid() {
  Grid g;
  for (int x = 0; x <= 26; ++x) {
    for (int y = 0; y <= 26; ++y) {
      const bool border = x == 0 || y == 0 || x == 26 || y == 26;
      g.k[x][y] = border ? 'x' : '.';
    }
  }
  g.startx = 13;
  g.starty = 13;
  g.mapname = "open";
  return g;
}

// One engine with its console, grid and limits.
template <int N>
struct Bench {
  explicit Bench(Grid g = catalogue_grid("0001"), int bytes = 4, int msteps = 1, int mlastfail = 0,
                 int restart = 0, const std::string& input = "")
      : h(input), grid(std::move(g)) {
    setenv("TZ", "UTC", 1);
    tzset();
    Limits lim{bytes, msteps, mlastfail, restart, N + 3};
    s = std::make_unique<FixedSearch<N>>(h.c, grid, lim);
  }

  // Fills every slot, in template order.
  void fill(const std::vector<std::string>& codes) {
    for (std::size_t i = 0; i < codes.size(); ++i) s->slot[i] = part(codes[i]);
    s->slots_replaced();
  }

  // Every candidate the search runs, as "[1]/[2]/...".
  std::vector<std::string> candidates() {
    std::vector<std::string> seen;
    s->on_candidate = [&seen](const FixedSearch<N>& f) {
      std::string c;
      for (int i = 0; i < FixedSearch<N>::kSlots; ++i) c += (i ? "/" : "") + f.slot[i].code;
      seen.push_back(c);
    };
    s->search();
    s->on_candidate = nullptr;
    return seen;
  }

  ConsoleHarness h;
  Grid grid;
  std::unique_ptr<FixedSearch<N>> s;
};

// Runs the whole search: the program's status on a clear, -1 when the
// search ends without one.
template <int N>
int search_status(Bench<N>& b) {
  try {
    b.s->search();
  } catch (const ProgramExit& e) {
    return e.status;
  }
  return -1;
}

// Random draws of the randomised tests: numbers below n and fragments.
struct Draws {
  explicit Draws(unsigned seed) : rng(seed) {}
  int pick(int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); }
  std::string fragment(const std::string& alphabet, int len) {
    std::string f;
    for (int i = 0; i < len; ++i)
      f += alphabet[static_cast<std::size_t>(pick(static_cast<int>(alphabet.size())))];
    return f;
  }
  std::mt19937 rng;
};

// The characters of the function's slots of a template with n parameters.
inline std::string function_alphabet(int n) {
  return std::string("srl") + std::string("XYZ").substr(0, static_cast<std::size_t>(n));
}

}  // namespace solver::testing
