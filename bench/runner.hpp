// Runs one case of the benchmark in-process and folds it into the signature.
#pragma once

#include <cstdint>
#include <string>

#include "console.hpp"
#include "suite.hpp"

namespace solver::bench {

struct Outcome {
  std::string output;  // without the time lines
  std::string result;  // the solution's lines and steps, or "search_end"
  SearchStats stats;
  double seconds = 0;
};

// Runs the case's dialogue through its program with no terminal attached;
// `literal`: a fixed-template search runs on the literal interpreter.
Outcome run_case(const BenchCase& bc, int threads, bool literal = false);

// The case run `repeat` times (at least once): the first outcome with the
// least time of them all, so that a busy machine's slow spells count less.
// `same` turns false when a run's output or candidate count differs from
// the first one's (a search that is not deterministic).
Outcome best_of(const BenchCase& bc, int threads, int repeat, bool& same, bool literal = false);

inline constexpr std::uint64_t kSignatureSeed = 14695981039346656037ull;

// The signature after one more case: its label, whole output and candidate
// count in search order.
std::uint64_t sign(std::uint64_t signature, const BenchCase& bc, const Outcome& o);

}  // namespace solver::bench
