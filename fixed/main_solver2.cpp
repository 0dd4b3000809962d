#include "driver.hpp"
#include "program.hpp"

namespace {

constexpr const char* kSummary =
    "Searches the programs of the template a(X,Y):[1]a([2],[3]),[4]a([5],[6])\n"
    "with the entered byte count for one that clears the chosen map.";

}  // namespace

int main(int argc, char** argv) {
  return solver::run_program(argc, argv, {"solver2", kSummary}, solver::fixed_main<2>);
}
