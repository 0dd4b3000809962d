#include "slots.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "console_harness.hpp"

namespace solver {
namespace {

using testing::ConsoleHarness;

std::vector<std::string> enumerate(int nparams, int length) {
  code_parts p;
  p.length = length;
  getsss(p);
  std::vector<std::string> out{p.code};
  while (getnew(p, nparams) == 0) out.push_back(p.code);
  return out;
}

bool admissible(const std::string& s) {
  for (std::size_t i = 0; i < s.size();) {
    if (s[i] != 'r' && s[i] != 'l') {
      ++i;
      continue;
    }
    std::size_t j = i;
    while (j < s.size() && (s[j] == 'r' || s[j] == 'l')) ++j;
    const std::string run = s.substr(i, j - i);
    if (run != "r" && run != "l" && run != "ll") return false;
    i = j;
  }
  return true;
}

// Every admissible fragment, in increasing value of the reading with the
// first character as the least significant digit.
std::vector<std::string> reference(int nparams, int length) {
  const std::string alphabet = std::string("srl") + std::string("XYZ").substr(0, nparams);
  const std::size_t base = alphabet.size();
  std::size_t total = 1;
  for (int i = 0; i < length; ++i) total *= base;
  std::vector<std::string> out;
  for (std::size_t v = 0; v < total; ++v) {
    std::string s;
    std::size_t w = v;
    for (int i = 0; i < length; ++i, w /= base) s += alphabet[w % base];
    if (admissible(s)) out.push_back(s);
  }
  return out;
}

TEST(Enumerator, SequencesMatchTheDigitOrderForEveryAlphabet) {
  for (int n = 0; n <= 3; ++n)
    for (int len = 0; len <= 5; ++len) EXPECT_EQ(enumerate(n, len), reference(n, len)) << n << len;
}

TEST(Enumerator, CountsPerLength) {
  const int expected[4][5] = {
      {1, 3, 6, 13, 28}, {1, 4, 13, 44, 148}, {1, 5, 22, 99, 444}, {1, 6, 33, 184, 1024}};
  for (int n = 0; n <= 3; ++n)
    for (int len = 0; len <= 4; ++len)
      EXPECT_EQ(enumerate(n, len).size(), static_cast<std::size_t>(expected[n][len]));
}

TEST(Enumerator, WorkedLists) {
  EXPECT_EQ(enumerate(0, 2), (std::vector<std::string>{"ss", "rs", "ls", "sr", "sl", "ll"}));
  EXPECT_EQ(enumerate(1, 2), (std::vector<std::string>{"ss", "rs", "ls", "Xs", "sr", "Xr", "sl",
                                                       "ll", "Xl", "sX", "rX", "lX", "XX"}));
  const auto three = enumerate(3, 2);
  EXPECT_EQ(std::vector<std::string>(three.begin(), three.begin() + 20),
            (std::vector<std::string>{"ss", "rs", "ls", "Xs", "Ys", "Zs", "sr", "Xr", "Yr", "Zr",
                                      "sl", "ll", "Xl", "Yl", "Zl", "sX", "rX", "lX", "XX", "YX"}));
}

code_parts slot(const std::string& code) {
  code_parts p;
  set_fragment(p, code);
  return p;
}

void expect_counts_match(const code_parts& p) {
  const code_parts fresh = slot(p.code);
  EXPECT_EQ(p.scount, fresh.scount) << p.code;
  EXPECT_EQ(p.turncount, fresh.turncount) << p.code;
  EXPECT_EQ(p.xcount, fresh.xcount) << p.code;
  EXPECT_EQ(p.ycount, fresh.ycount) << p.code;
  EXPECT_EQ(p.zcount, fresh.zcount) << p.code;
}

TEST(Enumerator, CountersFollowEveryStepAndTheWrap) {
  for (int n = 0; n <= 3; ++n) {
    code_parts p;
    p.length = 4;
    getsss(p);
    while (getnew(p, n) == 0) expect_counts_match(p);
    EXPECT_EQ(p.code, "ssss");
    EXPECT_EQ(p.scount, 4);
    expect_counts_match(p);
  }
}

TEST(Enumerator, SingleSteps) {
  code_parts p = slot("sr");
  EXPECT_EQ(getnew0(p), 0);
  EXPECT_EQ(p.code, "sl");
  p = slot("lsl");
  EXPECT_EQ(getnew0(p), 0);
  EXPECT_EQ(p.code, "sll");
  EXPECT_EQ(getnew0(p), -1);
  EXPECT_EQ(p.code, "sss");
  code_parts empty;
  EXPECT_EQ(getnew3(empty), -1);
  EXPECT_EQ(empty.code, "");
}

TEST(Enumerator, FixedSlotIsNeverTouched) {
  code_parts p = slot("rrX");
  p.fixed = 1;
  p.length = 5;  // a distribution length other than the fragment's
  EXPECT_EQ(getnew1(p), -1);
  getsss(p);
  EXPECT_EQ(p.code, "rrX");
  EXPECT_EQ(p.turncount, 2);
  EXPECT_EQ(p.xcount, 1);
  EXPECT_EQ(p.length, 5);
}

TEST(Enumerator, LettersOutsideTheAlphabetCarryAndEnd) {
  // A main-line slot holding a parameter letter still runs out.
  code_parts p = slot("XY");
  int steps = 0;
  while (getnew0(p) == 0) {
    ASSERT_LT(++steps, 100);
    expect_counts_match(p);
  }
  EXPECT_EQ(p.code, "ss");
}

TEST(SlotRecord, ResetsKeepLengthAndFixed) {
  code_parts p = slot("rXl");
  p.length = 5;
  p.fixed = 1;
  syokika_code(p);
  EXPECT_EQ(p.code, "");
  EXPECT_EQ(p.scount + p.turncount + p.xcount, 0);
  EXPECT_EQ(p.length, 5);
  EXPECT_EQ(p.fixed, 1);
  code_parts q;
  getsss(q);
  EXPECT_EQ(q.code, "");
  EXPECT_EQ(q.scount, 0);
  code_parts from = slot("sX");
  code_parts to = slot("rrrr");
  to.fixed = 1;
  to = from;
  EXPECT_EQ(to.length, 2);
  EXPECT_EQ(to.fixed, 0);
}

TEST(SlotLines, PlainAndDiagnosticForms) {
  ConsoleHarness h;
  PRINT_CODE_PARTS(h.c, 1, 0, slot("sX"), 1);
  PRINT_CODE_PARTS(h.c, 5, 0, slot(""), 3);
  PRINT_CODE_PARTS(h.c, 2, 1, slot("sXrY"), 2);
  PRINT_CODE_PARTS(h.c, 3, 1, slot("sXrYZ"), 3);
  EXPECT_EQ(h.out.str(), "[1]=sX\n[5]=\n[2]=sXrY,1,1,1,1\n[3]=sXrYZ,1,1,1,1,1\n");
}

TEST(SlotLines, LengthDistributionLine) {
  setenv("TZ", "UTC", 1);
  tzset();
  ConsoleHarness h;
  Grid g;
  g.mapname = "0003";
  Limits lim{7, 100, 5, 0, 6};
  code_parts a = slot("s"), b = slot("ssss"), e = slot("");
  printlength(h.c, g, lim, {&a, &b, &a, &a, &e, &e, &e, &e});
  EXPECT_EQ(h.out.str(),
            "0003,100msteps,5mlastfail,13bytes\nTue Dec  8 15:43:33 2026\n1,4,1,1,0,0,0,0\n"
            "何かキーを押すと検索位置を出力します．pを押すと中断します．\n\n");
}

TEST(FragmentInput, ZeroIsEmptyAndLettersAreChecked) {
  ConsoleHarness h("0 sX sY sY\n");
  code_parts p = slot("rrr");
  ASSERT_TRUE(read_fragment(h.c, p, 1));
  EXPECT_EQ(p.code, "");
  EXPECT_EQ(p.length, 0);
  ASSERT_TRUE(read_fragment(h.c, p, 1));
  EXPECT_EQ(p.length, 2);
  EXPECT_EQ(p.scount, 1);
  EXPECT_EQ(p.xcount, 1);
  EXPECT_FALSE(read_fragment(h.c, p, 1));
  ASSERT_TRUE(read_fragment(h.c, p, 2));
  EXPECT_EQ(p.ycount, 1);
}

TEST(FragmentInput, PromptRepeatsAfterAnInvalidFragment) {
  ConsoleHarness h("sa X ls\n");
  code_parts p;
  input_code_parts(h.c, p, 3, 0);
  EXPECT_EQ(p.code, "ls");
  EXPECT_EQ(h.out.str(),
            "[3]を入力してください：入力に誤りがあります\n"
            "[3]を入力してください：入力に誤りがあります\n"
            "[3]を入力してください：");
  ConsoleHarness eof("");
  EXPECT_THROW(input_code_parts(eof.c, p, 1, 1), InputEnded);
}

}  // namespace
}  // namespace solver
