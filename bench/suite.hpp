// The searches of the benchmark, each typed as its dialogue.
#pragma once

#include <string>
#include <vector>

#include "console.hpp"

namespace solver::bench {

struct BenchCase {
  std::string program;
  std::string map;
  int bytes;
  int msteps;
  int mlastfail;
  std::string dialogue;
  void (*body)(Console&);
  std::string label;
  bool fixed_template = false;  // solver3, solver2, solver1
};

const std::vector<BenchCase>& suite();

}  // namespace solver::bench
