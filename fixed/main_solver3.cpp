#include "driver.hpp"
#include "program.hpp"

int main(int argc, char** argv) {
  return solver::run_program(argc, argv,
                             {"solver3",
                              "Searches the programs of the template "
                              "a(X,Y,Z):[1]a([2],[3],[4]),[5]a([6],[7],[8])\nof the entered byte "
                              "count for one that clears the chosen map "
                              "(one search thread: SOLVER_THREADS has no effect)."},
                             solver::fixed_main<3>);
}
