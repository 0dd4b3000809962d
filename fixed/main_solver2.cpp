#include "driver.hpp"
#include "program.hpp"

int main(int argc, char** argv) {
  return solver::run_program(argc, argv,
                             {"solver2",
                              "Searches the programs of the template "
                              "a(X,Y):[1]a([2],[3]),[4]a([5],[6])\nof the entered byte count for "
                              "one that clears the chosen map "
                              "(one search thread: SOLVER_THREADS has no effect)."},
                             solver::fixed_main<2>);
}
