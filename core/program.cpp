#include "program.hpp"

#include <iostream>
#include <string>

#include "keyboard.hpp"
#include "ordered_pass.hpp"

namespace solver {

namespace {

void print_usage(std::ostream& os, const ProgramInfo& info) {
  os << "usage: " << info.name << "\n"
     << info.summary << "\n"
     << "\n"
     << "The program takes no arguments: it asks the Problem_ID, the byte count, the limits\n"
     << "and the optional start position on the console, then searches.  During the search\n"
     << "any key prints the search position; p pauses (then r resumes, q quits).\n"
     << "\n"
     << "Environment:\n"
     << "  SOLVER_ENCODING  cp932 (or sjis, shift_jis) or utf-8: encoding of the Japanese\n"
     << "                   text.  Unset: UTF-8 on a UTF-8 terminal, CP932 otherwise.\n"
     << "  SOLVER_THREADS   number of search threads (default: every hardware thread).\n";
}

}  // namespace

int run_program(int argc, char** argv, const ProgramInfo& info, void (*body)(Console&)) {
  if (argc > 1) {
    const std::string arg = argv[1];
    if (argc == 2 && (arg == "--help" || arg == "-h")) {
      print_usage(std::cout, info);
      return 0;
    }
    std::cerr << "usage: " << info.name << " (no arguments; try --help)" << std::endl;
    return 2;
  }
  std::ios::sync_with_stdio(false);
  Keyboard keys;
  keys.open_terminal();
  Console c{std::cin, std::cout, keys};
  c.enc = choose_encoding_from_environment(std::cerr);
  c.threads = search_threads();
  int status = 0;
  try {
    body(c);
  } catch (const ProgramExit& e) {
    status = e.status;
  } catch (const InputEnded&) {
    keys.stop();
    std::cout.flush();
    std::cerr << info.name << ": standard input ended before the dialogue was complete"
              << std::endl;
    status = 1;
  }
  keys.stop();
  std::cout.flush();
  return status;
}

}  // namespace solver
