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

// The counter of parameter letter 0, 1, 2 (X, Y, Z), picked without a
// branch: the enumerator steps letters all the time.
constexpr int code_parts::*kLetterCount[3] = {&code_parts::xcount, &code_parts::ycount,
                                              &code_parts::zcount};

}  // namespace

int getnew(code_parts& p, int nparams) {
  if (p.fixed == 1) return -1;
  std::string& s = p.code;
  const std::size_t n = s.size();
  std::size_t i = 0;
  for (;;) {
    if (i >= n) {
      getsss(p);
      return -1;
    }
    char ch = s[i];
    if (ch == 's') {
      s[i] = 'r';
      --p.scount;
      ++p.turncount;
      if (!(i + 1 < n && (s[i + 1] == 'r' || s[i + 1] == 'l'))) return 0;
      ch = 'r';  // "rr" or "rl" would follow: step on at once
    }
    if (ch == 'r') {
      s[i] = 'l';
      if (!((i + 1 < n && s[i + 1] == 'r') || (i + 2 < n && s[i + 1] == 'l' && s[i + 2] == 'l'))) {
        return 0;
      }
      ch = 'l';  // "lr" or "lll" would follow
    }
    if (ch == 'l') {
      if (nparams == 0) {
        s[i] = 's';
        ++p.scount;
        --p.turncount;
        ++i;
        continue;
      }
      s[i] = 'X';
      ++p.xcount;
      --p.turncount;
      return 0;
    }
    const int letter = ch - 'X';  // 0 for X, 1 for Y, 2 for Z
    if (letter >= 0 && letter + 1 < nparams) {
      --(p.*kLetterCount[letter]);
      s[i] = static_cast<char>(ch + 1);
      ++(p.*kLetterCount[letter + 1]);
      return 0;
    }
    // The last letter (or one outside the alphabet): carry.
    if (letter >= 0 && letter < 3) --(p.*kLetterCount[letter]);
    s[i] = 's';
    ++p.scount;
    ++i;
  }
}

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
