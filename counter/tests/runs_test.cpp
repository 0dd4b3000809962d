// The compiled runs against the literal interpreter, and the fragment count
// that sizes the parallel units.
#include "runs.hpp"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "catalogue.hpp"
#include "counter_fixture.hpp"
#include "literal.hpp"
#include "reference_programs.hpp"

namespace solver {
namespace {

using testing::CounterFixture;
using testing::LiteralCounter;

code_parts part(const std::string& code) {
  code_parts p;
  CounterFixture::set(p, code);
  return p;
}

std::string random_fragment(std::mt19937& rng, const char* letters, int max_length) {
  const int n = static_cast<int>(rng() % static_cast<unsigned>(max_length + 1));
  std::string s;
  const std::string alphabet(letters);
  for (int i = 0; i < n; ++i) s += alphabet[rng() % alphabet.size()];
  return s;
}

// A floor with a few targets, gray cells and walls close to the start, so
// that short programs clear it now and then.
std::string random_near_map(std::mt19937& rng) {
  std::string map(625, '.');
  const int sx = 5 + static_cast<int>(rng() % 15), sy = 5 + static_cast<int>(rng() % 15);
  auto near = [&] {
    const int x = sx + static_cast<int>(rng() % 9) - 4, y = sy + static_cast<int>(rng() % 9) - 4;
    return y * 25 + x;
  };
  for (int i = 0; i < 6; ++i) map[static_cast<std::size_t>(near())] = "xx**"[rng() % 4];
  const int targets = 1 + static_cast<int>(rng() % 4);
  for (int i = 0; i < targets; ++i) map[static_cast<std::size_t>(near())] = 'o';
  map[static_cast<std::size_t>(sy * 25 + sx)] = 'u';
  return map;
}

struct Checked {
  int candidates = 0;
  int clears = 0;
};

// Every [3] of `jjs` after the triple: the same first clearing count and
// step count as the literal interpreter, with and without early stops.
void compare(CounterFixture& f, const std::string& j, const std::string& a, const std::string& aa,
             const std::vector<std::string>& jjs, Checked& checked) {
  LiteralCounter lit;
  lit.robot.bind(f.s.grid, f.s.lim.msteps, f.s.lim.mlastfail);
  lit.j = j;
  lit.a = a;
  lit.aa = aa;
  for (const bool prune : {true, false}) {
    CounterRuns runs;
    runs.bind(f.s.grid, f.s.lim, prune);
    for (const std::string& jj : jjs) {
      if (j.find('X') == std::string::npos && jj.find('X') == std::string::npos) continue;
      lit.jj = jj;
      int lit_steps = -1, fast_steps = -1;
      const int lit_t = lit.first_clear(lit_steps);
      const int fast_t = runs.run(part(j), part(a), part(jj), part(aa), fast_steps);
      ASSERT_EQ(fast_t, lit_t) << j << " / " << a << " / " << jj << " / " << aa << " msteps "
                               << f.s.lim.msteps << " mlastfail " << f.s.lim.mlastfail;
      if (lit_t != 0) {
        ASSERT_EQ(fast_steps, lit_steps);
      }
      if (prune) {
        ++checked.candidates;
        if (lit_t != 0) ++checked.clears;
      }
    }
  }
}

TEST(CounterRuns, AgreeWithTheLiteralInterpreterOnRandomCandidates) {
  std::mt19937 rng(6);
  Checked checked;
  for (int round = 0; round < 1500; ++round) {
    const bool catalogue = round % 3 == 0;
    const std::string map =
        catalogue ? std::string(kCatalogue[rng() % kCatalogue.size()].map) : random_near_map(rng);
    CounterFixture f("", map);
    f.s.lim.mlastfail = static_cast<int>(rng() % 40);
    f.limits(8, 1 + static_cast<int>(rng() % (catalogue ? 150 : 40)));
    const std::string j = random_fragment(rng, "srlX", 3);
    const std::string a = random_fragment(rng, "srlX", 3);
    const std::string aa = random_fragment(rng, "srl", 3);
    std::vector<std::string> jjs;
    for (int n = 0; n < 6; ++n) jjs.push_back(random_fragment(rng, "srlX", 4));
    compare(f, j, a, aa, jjs, checked);
    if (::testing::Test::HasFatalFailure()) return;
  }
  EXPECT_GT(checked.candidates, 5000);
  EXPECT_GT(checked.clears, 50);  // clears are compared, not only failures
}

TEST(CounterRuns, AgreeOnTheReferenceProgramsAndTheirNeighbours) {
  std::mt19937 rng(7);
  Checked checked;
  for (const testdata::ReferenceProgram& p : testdata::kReferencePrograms) {
    if (p.program != "solvercount") continue;
    std::string map;
    for (const CatalogueEntry& e : kCatalogue)
      if (e.id == p.id) map = e.map;
    const std::string j(p.slots[0]), a(p.slots[1]), jj(p.slots[2]), aa(p.slots[3]);
    for (int m = p.msteps - 3; m <= p.msteps + 3; ++m) {
      CounterFixture f("", map);
      f.s.lim.mlastfail = p.mlastfail;
      f.limits(8, m);
      std::vector<std::string> jjs = {jj};
      for (int n = 0; n < 8; ++n) {
        std::string mutated = jj;
        mutated[rng() % mutated.size()] = "srlX"[rng() % 4];
        jjs.push_back(mutated);
      }
      compare(f, j, a, aa, jjs, checked);
      if (::testing::Test::HasFatalFailure()) return;
    }
  }
  EXPECT_GE(checked.clears, 8);
}

TEST(CounterRuns, FragmentCountMatchesTheOdometer) {
  for (const int nparams : {0, 1}) {
    for (int length = 0; length <= 7; ++length) {
      code_parts p;
      p.length = length;
      getsss(p);
      double n = 1;
      while (getnew(p, nparams) != -1) ++n;
      EXPECT_EQ(fragment_count(length, nparams == 1), n) << length << " " << nparams;
    }
  }
}

}  // namespace
}  // namespace solver
