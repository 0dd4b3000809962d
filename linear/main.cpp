// solverlinear: searches A, B, C, D and E of a(T):[1]a(AT+B)[2]a(CT+D), a(E)
// for the two fragments typed by the user.
#include "program.hpp"
#include "search.hpp"

int main(int argc, char** argv) {
  return solver::run_program(
      argc, argv,
      {"solverlinear",
       "Searches the integers A, B, C, D and E of a(T):[1]a(AT+B)[2]a(CT+D), a(E) for the two "
       "fragments you type."},
      [](solver::Console& c) {
        solver::LinearSearch search(c);
        search.main_flow();
      });
}
