// The benchmark's quick cases give the recorded signature with one, two and
// eight threads: any change to a result or to a candidate count shows here.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "runner.hpp"
#include "suite.hpp"

namespace solver::bench {
namespace {

// Cases that take well under a second in a plain build.
const std::set<std::string> kQuick = {"solver3 0003 12bytes",     "solver2 0006 13bytes",
                                      "solver1 0009 13bytes",     "solver1 0004 12bytes",
                                      "solvercount 0005 13bytes", "solvercount 0008 13bytes",
                                      "solvercount 0010 12bytes", "solverlinear 0805 sr/s E7",
                                      "solverlinear 0001 s/r E6", "solverlinear 0010 ss/l E10"};

// Recorded from the plain single-threaded engines.
constexpr std::uint64_t kQuickSignature = 0x8bb7c0eaef73decaull;

std::uint64_t quick_signature(int threads) {
  std::uint64_t s = kSignatureSeed;
  int cases = 0;
  for (const BenchCase& bc : suite()) {
    if (!kQuick.count(bc.label)) continue;
    s = sign(s, bc, run_case(bc, threads));
    ++cases;
  }
  EXPECT_EQ(cases, static_cast<int>(kQuick.size()));
  return s;
}

TEST(BenchSignature, QuickCasesAreTheSameOnEveryThreadCount) {
  const std::uint64_t one = quick_signature(1);
  EXPECT_EQ(one, kQuickSignature) << std::hex << one;
  EXPECT_EQ(quick_signature(2), one);
  EXPECT_EQ(quick_signature(8), one);
}

}  // namespace
}  // namespace solver::bench
