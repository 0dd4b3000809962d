// The fixed-template engine, all of it.
#pragma once

#include "dialogues.hpp"
#include "distribution.hpp"
#include "engine.hpp"
#include "interpreter.hpp"
#include "judgements.hpp"
#include "odometer.hpp"
#include "output.hpp"

namespace solver {

template <int N>
void FixedSearch<N>::search() {
  get_firstlength();
  c.keys.start();
  for (;;) {
    if (lenhantei() != -1) {
      print_length();
      getnewj();
    }
    if (get_newlength() == -1) break;
  }
  c.keys.stop();
  record_stats(c, simulated, simulated, robot);
  printtime(c, grid, lim);
  c.out << "search_end\n" << std::endl;
}

}  // namespace solver
