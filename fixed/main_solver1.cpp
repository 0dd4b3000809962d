#include "driver.hpp"
#include "program.hpp"

namespace {

constexpr const char* kSummary =
    "Searches the programs of the template a(X):[1]a([2]),[3]a([4])\n"
    "with the entered byte count for one that clears the chosen map.";

}  // namespace

int main(int argc, char** argv) {
  return solver::run_program(argc, argv, {"solver1", kSummary}, solver::fixed_main<1>);
}
