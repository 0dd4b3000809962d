#include "runner.hpp"

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <vector>

#include "keyboard.hpp"

namespace solver::bench {

namespace {

bool is_time_line(const std::string& l) {
  return l.size() == 24 && l[3] == ' ' && l[7] == ' ' && l[10] == ' ' && l[13] == ':' &&
         l[16] == ':' && l[19] == ' ';
}

std::uint64_t fnv(std::uint64_t h, const std::string& s) {
  for (const unsigned char ch : s) {
    h ^= ch;
    h *= 1099511628211ull;
  }
  return h;
}

}  // namespace

Outcome run_case(const BenchCase& bc, int threads, bool literal) {
  std::istringstream in(bc.dialogue);
  std::ostringstream out;
  Keyboard keys;  // no terminal: no key is ever pressed
  Console c{in, out, keys, Encoding::Utf8};
  c.threads = threads;
  c.literal = literal;
  Outcome o;
  c.stats = &o.stats;
  const auto t0 = std::chrono::steady_clock::now();
  try {
    bc.body(c);
  } catch (const ProgramExit&) {
  } catch (const InputEnded&) {
    std::cerr << "dialogue of " << bc.label << " is incomplete" << std::endl;
    std::exit(2);
  }
  o.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  std::istringstream lines(out.str());
  std::vector<std::string> tail;
  for (std::string l; std::getline(lines, l);) {
    if (is_time_line(l)) continue;
    o.output += l;
    o.output += '\n';
    if (l.rfind("a(", 0) == 0) tail.clear();  // a template line starts a solution
    tail.push_back(l);
  }
  if (o.output.find("search_end") != std::string::npos) {
    o.result = "search_end";
  } else {
    for (std::size_t i = 1; i < tail.size(); ++i) {
      if (!o.result.empty()) o.result += ' ';
      o.result += tail[i];
    }
  }
  return o;
}

Outcome best_of(const BenchCase& bc, int threads, int repeat, bool& same, bool literal) {
  Outcome best = run_case(bc, threads, literal);
  same = true;
  for (int r = 1; r < repeat; ++r) {
    const Outcome o = run_case(bc, threads, literal);
    same = same && o.output == best.output && o.stats.candidates == best.stats.candidates;
    if (o.seconds < best.seconds) {
      best.seconds = o.seconds;
      best.stats.runs = o.stats.runs;
      best.stats.commands = o.stats.commands;
    }
  }
  return best;
}

std::uint64_t sign(std::uint64_t signature, const BenchCase& bc, const Outcome& o) {
  signature = fnv(signature, bc.label);
  signature = fnv(signature, o.output);
  return fnv(signature, std::to_string(o.stats.candidates));
}

}  // namespace solver::bench
