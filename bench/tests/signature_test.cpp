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

// The fast engine against the literal interpreter on whole searches, one
// per template: the same dialogue, distribution lines, first solution and
// step count, and the same number of candidates in search order.
TEST(BenchSignature, LiteralInterpreterFindsTheSameAsTheFastEngine) {
  const std::set<std::string> cases = {"solver3 0003 12bytes", "solver2 0006 13bytes",
                                       "solver1 0009 13bytes"};
  int compared = 0;
  for (const BenchCase& bc : suite()) {
    if (!cases.count(bc.label)) continue;
    ASSERT_TRUE(bc.fixed_template) << bc.label;
    const Outcome fast = run_case(bc, 2);
    const Outcome literal = run_case(bc, 2, true);
    EXPECT_EQ(literal.result, fast.result) << bc.label;
    EXPECT_NE(literal.result, "search_end") << bc.label;
    EXPECT_EQ(literal.stats.candidates, fast.stats.candidates) << bc.label;
    // The dialogue and every distribution line (a long text: compared whole).
    EXPECT_TRUE(literal.output == fast.output) << bc.label;
    ++compared;
  }
  EXPECT_EQ(compared, 3);
}

// Repeated runs of a case (parallel ones included) agree with one run: the
// same output, candidates and signature.
TEST(BenchSignature, RepeatedRunsAgreeWithOneRun) {
  int compared = 0;
  for (const BenchCase& bc : suite()) {
    if (bc.label != "solver2 0006 13bytes" && bc.label != "solvercount 0005 13bytes") continue;
    const Outcome once = run_case(bc, 2);
    bool same = false;
    const Outcome best = best_of(bc, 2, 3, same);
    EXPECT_TRUE(same) << bc.label;
    EXPECT_EQ(best.result, once.result) << bc.label;
    EXPECT_EQ(best.stats.candidates, once.stats.candidates) << bc.label;
    EXPECT_EQ(sign(kSignatureSeed, bc, best), sign(kSignatureSeed, bc, once)) << bc.label;
    EXPECT_GT(best.seconds, 0.0) << bc.label;
    ++compared;
  }
  EXPECT_EQ(compared, 2);
}

}  // namespace
}  // namespace solver::bench
