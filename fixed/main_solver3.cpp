#include "driver.hpp"
#include "program.hpp"

namespace {

constexpr const char* kSummary =
    "Searches the programs of the template a(X,Y,Z):[1]a([2],[3],[4]),[5]a([6],[7],[8])\n"
    "with the entered byte count for one that clears the chosen map.";

}  // namespace

int main(int argc, char** argv) {
  return solver::run_program(argc, argv, {"solver3", kSummary}, solver::fixed_main<3>);
}
