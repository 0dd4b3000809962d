#include "slots.hpp"

#include <ostream>

#include "input.hpp"
#include "progress.hpp"

namespace solver {

void syokika_code(code_parts& p) {
  p.code.clear();
  p.scount = p.turncount = p.xcount = p.ycount = p.zcount = 0;
}

namespace {

// The counter of a character, or null for one outside the alphabet.
int* counter_of(code_parts& p, char ch) {
  switch (ch) {
    case 's':
      return &p.scount;
    case 'r':
    case 'l':
      return &p.turncount;
    case 'X':
      return &p.xcount;
    case 'Y':
      return &p.ycount;
    case 'Z':
      return &p.zcount;
    default:
      return nullptr;
  }
}

}  // namespace

void PRINT_CODE_PARTS(Console& c, int n, int detail, const code_parts& p, int nparams) {
  c.out << '[' << n << "]=" << p.code;
  if (detail == 1) {
    c.out << ',' << p.scount << ',' << p.turncount;
    if (nparams >= 1) c.out << ',' << p.xcount;
    if (nparams >= 2) c.out << ',' << p.ycount;
    if (nparams >= 3) c.out << ',' << p.zcount;
  }
  c.out << std::endl;
}

void printlength(Console& c, const Grid& g, const Limits& lim,
                 std::initializer_list<const code_parts*> slots) {
  printtime(c, g, lim);
  const char* sep = "";
  for (const code_parts* p : slots) {
    c.out << sep << p->length;
    sep = ",";
  }
  c.out << std::endl;
  message(c);
}

void set_fragment(code_parts& p, std::string_view code) {
  syokika_code(p);
  p.code.assign(code);
  p.length = static_cast<int>(code.size());
  for (const char ch : code) {
    if (int* cnt = counter_of(p, ch)) ++*cnt;
  }
}

bool read_fragment(Console& c, code_parts& p, int nparams) {
  std::string word;
  while (!read_value(c, word)) {
  }
  if (word == "0") word.clear();
  set_fragment(p, word);
  for (const char ch : word) {
    const bool command = ch == 's' || ch == 'r' || ch == 'l';
    const bool parameter = ch >= 'X' && ch <= 'Z' && ch - 'X' < nparams;
    if (!command && !parameter) return false;
  }
  return true;
}

void input_code_parts(Console& c, code_parts& p, int n, int nparams) {
  for (;;) {
    syokika_code(p);
    c.out << '[' << n;
    c.say(u8"]を入力してください：");
    c.flush();
    if (read_fragment(c, p, nparams)) return;
    input_error_message(c);
  }
}

}  // namespace solver
