#include "suite.hpp"

#include "counter/search.hpp"
#include "fixed/driver.hpp"
#include "linear/search.hpp"

namespace solver::bench {

namespace {

void linear_body(Console& c) {
  LinearSearch s(c);
  s.main_flow();
}

BenchCase fixed(int n, const std::string& map, int bytes, int msteps, int mlastfail) {
  std::string fix;
  for (int i = 0; i < 2 * n + 2; ++i) fix += i == 0 ? "0" : " 0";
  void (*body)(Console&) = n == 3 ? fixed_main<3> : n == 2 ? fixed_main<2> : fixed_main<1>;
  const std::string program = "solver" + std::to_string(n);
  return {program,
          map,
          bytes,
          msteps,
          mlastfail,
          map + "\n" + std::to_string(bytes) + "\n" + std::to_string(msteps) + "\n" +
              std::to_string(mlastfail) + "\n0\n" + fix + "\n",
          body,
          program + " " + map + " " + std::to_string(bytes) + "bytes",
          true};
}

BenchCase counter(const std::string& map, int bytes, int msteps, int mlastfail) {
  return {"solvercount",
          map,
          bytes,
          msteps,
          mlastfail,
          map + "\n" + std::to_string(bytes) + "\n" + std::to_string(msteps) + "\n" +
              std::to_string(mlastfail) + "\n0\n",
          run_counter,
          "solvercount " + map + " " + std::to_string(bytes) + "bytes"};
}

BenchCase linear(const std::string& map, const std::string& j, const std::string& jj, int bytes,
                 int msteps, int mlastfail, int start_e) {
  return {"solverlinear",
          map,
          bytes,
          msteps,
          mlastfail,
          map + "\n" + j + "\n" + jj + "\n" + std::to_string(bytes) + "\n" +
              std::to_string(msteps) + "\n" + std::to_string(mlastfail) + "\n" +
              std::to_string(start_e) + "\n",
          linear_body,
          "solverlinear " + map + " " + j + "/" + jj + " E" + std::to_string(start_e)};
}

}  // namespace

const std::vector<BenchCase>& suite() {
  static const std::vector<BenchCase> cases = {
      fixed(3, "0003", 12, 10, 2),   // walls and a gray cell, short runs, clear
      fixed(3, "0007", 14, 108, 0),  // 51 targets among 254 gray cells, search_end
      fixed(2, "0006", 13, 47, 0),   // walls, 36 targets, clear
      fixed(2, "0747", 12, 209, 0),  // long runs, search_end
      fixed(1, "0009", 13, 336, 0),  // 312 targets in a spiral, clear
      fixed(1, "0004", 12, 69, 0),   // lattice, search_end
      fixed(3, "0748", 14, 272, 0),  // walls and gray cells, long runs, search_end
      fixed(2, "0803", 13, 174, 0),  // 109 targets among 200 gray cells, search_end
      fixed(1, "0745", 13, 812, 0),  // 245 targets, runs of hundreds of steps, search_end
      counter("0005", 13, 23, 0),    // clear
      counter("0008", 13, 104, 0),   // walls, long runs, clear
      counter("0010", 12, 60, 0),    // walls and gray cells, search_end
      counter("0801", 16, 40, 0),    // walls, clear
      counter("0010", 16, 60, 0),    // search_end
      linear("0805", "sr", "s", 13, 324, 0, 7),     // clear
      linear("0001", "s", "r", 13, 40, 0, 6),       // walls, clear
      linear("0747", "s", "rs", 14, 120, 0, 9),     // gray cells, search_end
      linear("0010", "ss", "l", 13, 80, 0, 10),     // walls and gray cells, search_end
      linear("0747", "s", "rs", 20, 200, 0, 60),    // many coefficients, search_end
      linear("0745", "ss", "rs", 26, 300, 0, 120),  // 245 targets, search_end
  };
  return cases;
}

}  // namespace solver::bench
