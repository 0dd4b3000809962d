// solverbench: a fixed suite of searches run in-process, with their results,
// speeds and a signature over every result and candidate count.
//
//   solverbench [--threads N] [--program NAME] [--map ID] [--repeat N] [--list]
//               [--literal | --fixed-only]
//
// --repeat N runs each search N times in a row and shows the least time of
// them (the speeds follow it); every run must give the same output and
// candidate count, or the benchmark fails.
//
// The signature hashes, case by case in suite order, the whole output of the
// search (time lines left out) and its number of candidates in search order.
// It must be the same for every thread count and before and after any change
// meant only to make the search faster.
//
// --literal runs the fixed-template cases only, one thread, every candidate
// on the plain interpreter and robot of the rules: the reference speeds.
// Its signature is that of the same cases run by the fast engine with
// "--fixed-only".
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "console.hpp"
#include "keyboard.hpp"
#include "ordered_pass.hpp"
#include "runner.hpp"
#include "suite.hpp"

int main(int argc, char** argv) {
  int threads = 1;
  std::string only;
  std::string map;
  bool list = false;
  bool literal = false;
  bool fixed_only = false;
  int repeat = 1;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--threads" && i + 1 < argc) {
      threads = std::atoi(argv[++i]);
    } else if (a == "--program" && i + 1 < argc) {
      only = argv[++i];
    } else if (a == "--map" && i + 1 < argc) {
      map = argv[++i];
    } else if (a == "--repeat" && i + 1 < argc) {
      repeat = std::max(1, std::atoi(argv[++i]));
    } else if (a == "--list") {
      list = true;
    } else if (a == "--literal") {
      literal = fixed_only = true;
    } else if (a == "--fixed-only") {
      fixed_only = true;
    } else {
      std::cerr
          << "usage: solverbench [--threads N] [--program NAME] [--map ID] [--repeat N] [--list] "
             "[--literal | --fixed-only]"
          << std::endl;
      return 2;
    }
  }
  if (threads < 1) threads = solver::search_threads();
  if (literal) threads = 1;
  std::uint64_t signature = solver::bench::kSignatureSeed;
  double total_seconds = 0;
  std::uint64_t total_candidates = 0, total_runs = 0, total_commands = 0;
  std::printf("%-12s %-4s %5s %6s %5s  %-44s %12s %12s %8s %11s %12s\n", "program", "map", "bytes",
              "msteps", "gray", "result", "candidates", "runs", "seconds", "cand/s", "commands/s");
  for (const solver::bench::BenchCase& bc : solver::bench::suite()) {
    if (!only.empty() && bc.program != only) continue;
    if (fixed_only && !bc.fixed_template) continue;
    if (!map.empty() && bc.map != map) continue;
    if (list) {
      std::printf("%s\n", bc.label.c_str());
      continue;
    }
    bool same = true;
    const solver::bench::Outcome o = solver::bench::best_of(bc, threads, repeat, same, literal);
    if (!same) {
      std::printf("%s: the runs differ in output or candidates\n", bc.label.c_str());
      return 1;
    }
    signature = solver::bench::sign(signature, bc, o);
    total_seconds += o.seconds;
    total_candidates += o.stats.candidates;
    total_runs += o.stats.runs;
    total_commands += o.stats.commands;
    std::string shown = o.result.size() > 44 ? o.result.substr(0, 41) + "..." : o.result;
    std::printf("%-12s %-4s %5d %6d %5d  %-44s %12llu %12llu %8.3f %11.0f %12.0f\n",
                bc.program.c_str(), bc.map.c_str(), bc.bytes, bc.msteps, bc.mlastfail,
                shown.c_str(), static_cast<unsigned long long>(o.stats.candidates),
                static_cast<unsigned long long>(o.stats.runs), o.seconds,
                o.stats.candidates / o.seconds, o.stats.commands / o.seconds);
    if (shown != o.result) std::printf("    result: %s\n", o.result.c_str());
    std::fflush(stdout);
  }
  if (list) return 0;
  std::printf(
      "total: %llu candidates, %llu runs, %llu commands in %.3f s on %d thread%s: "
      "%.0f candidates/s, %.0f commands/s\n",
      static_cast<unsigned long long>(total_candidates),
      static_cast<unsigned long long>(total_runs), static_cast<unsigned long long>(total_commands),
      total_seconds, threads, threads == 1 ? "" : "s", total_candidates / total_seconds,
      total_commands / total_seconds);
  std::printf("signature: %016llx%s%s\n", static_cast<unsigned long long>(signature),
              only.empty() && map.empty() && !fixed_only ? "" : " (filtered)",
              literal ? " on the literal interpreter" : "");
  return 0;
}
