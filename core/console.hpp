// Console streams, output encoding and the ways a program ends.
#pragma once

#include <cstdint>
#include <ctime>
#include <iosfwd>
#include <string>
#include <string_view>

namespace solver {

class Keyboard;

enum class Encoding { Cp932, Utf8 };

// Encoding chosen from SOLVER_ENCODING ("cp932", "sjis", "shift_jis", "utf-8",
// "utf8"; any case).  Unset: UTF-8 only when standard output is a terminal
// and the locale's character set is UTF-8, CP932 otherwise.  An unknown value
// is reported once on `err` and ignored.
Encoding choose_encoding(const char* env_value, bool stdout_is_tty, std::string_view locale_codeset,
                         std::ostream& err);
Encoding choose_encoding_from_environment(std::ostream& err);

// Converts UTF-8 text to the bytes of the given encoding.
std::string encode(std::u8string_view text, Encoding enc);

// Thrown to end the program with an exit status (clear, "q", bad map).
struct ProgramExit {
  int status;
};

// Thrown when standard input ends before a dialogue is complete.
struct InputEnded {};

// What a search did, for the benchmark: filled in by the engines when the
// console asks for it.
struct SearchStats {
  std::uint64_t candidates = 0;  // in search order, through the clear or to the end
  std::uint64_t runs = 0;        // runs actually simulated (all threads)
  std::uint64_t commands = 0;    // robot commands begun
};

// The console a program talks to: injectable streams so dialogues can be
// driven by tests, the output encoding, the keyboard and the clock.
struct Console {
  std::istream& in;
  std::ostream& out;
  Keyboard& keys;
  Encoding enc = Encoding::Cp932;
  std::time_t (*clock)() = nullptr;  // null: the real time
  int threads = 1;                   // search threads
  SearchStats* stats = nullptr;      // null: nobody asks
  // The fixed-template search runs every candidate on the plain interpreter
  // of the rules, on one thread: the reference speeds are measured with it.
  bool literal = false;

  // Writes Japanese (UTF-8 source) text in the console encoding.
  void say(std::u8string_view text);
  // Writes the text, then a line end that flushes.
  void line(std::u8string_view text);
  // Writes plain ASCII text as it is.
  void ascii(std::string_view text);
  void endl();
  void flush();
  std::time_t now() const;
};

}  // namespace solver
