// The catalogue's reference programs written in the counter template.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "catalogue.hpp"
#include "counter_fixture.hpp"
#include "reference_programs.hpp"

namespace solver {
namespace {

using testdata::kReferencePrograms;
using testdata::ReferenceProgram;
using testing::CounterFixture;

std::string map_of(std::string_view id) {
  for (const CatalogueEntry& e : kCatalogue)
    if (e.id == id) return std::string(e.map);
  return {};
}

CounterFixture& filled(CounterFixture& f, const ReferenceProgram& p, int msteps) {
  CounterFixture::set(f.s.j, std::string(p.slots[0]));
  CounterFixture::set(f.s.a, std::string(p.slots[1]));
  CounterFixture::set(f.s.jj, std::string(p.slots[2]));
  CounterFixture::set(f.s.aa, std::string(p.slots[3]));
  f.s.T = p.T;
  f.s.lim.mlastfail = p.mlastfail;
  f.limits(p.entered_bytes - kCounterTemplateBytes, msteps);
  return f;
}

TEST(CounterReference, RunsExecuteTheReferenceCommandsAndClearOnTheLast) {
  int checked = 0;
  for (const ReferenceProgram& p : kReferencePrograms) {
    if (p.program != "solvercount") continue;
    ++checked;
    SCOPED_TRACE(std::string(p.id));
    const std::string commands(p.commands);
    // Under every smaller limit the run stops where plain execution of the
    // reference commands stops.
    for (int m = 1; m < p.msteps; ++m) {
      CounterFixture f("", map_of(p.id));
      filled(f, p, m).s.simulate();
      Robot ref;
      ref.bind(f.s.grid, m, p.mlastfail);
      ref.reset();
      jikkoujj(ref, commands);
      ASSERT_EQ(std::make_tuple(f.s.robot.x, f.s.robot.y, f.s.robot.vect, f.s.robot.steps),
                std::make_tuple(ref.x, ref.y, ref.vect, ref.steps))
          << "step limit " << m;
      ASSERT_FALSE(f.s.robot.cleared);
    }
    CounterFixture f("", map_of(p.id));
    EXPECT_THROW(filled(f, p, p.msteps).s.simulate(), ProgramExit);
    EXPECT_TRUE(f.out().ends_with("T=" + std::to_string(p.T) + "\n" +
                                  std::to_string(commands.size()) + "steps!! clear!!\n"));
  }
  EXPECT_GE(checked, 1);
}

}  // namespace
}  // namespace solver
