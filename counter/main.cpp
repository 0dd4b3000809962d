#include "program.hpp"
#include "search.hpp"

int main(int argc, char** argv) {
  return solver::run_program(
      argc, argv,
      {"solvercount",
       "Searches the programs a(X):[1]a([2],T-1)[3],a([4]) of a byte count, T from 1 to 19."},
      solver::run_counter);
}
