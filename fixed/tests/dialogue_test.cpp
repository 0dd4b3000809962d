#include <gtest/gtest.h>

#include "fixed_harness.hpp"

namespace solver {
namespace {

using testing::Bench;
using testing::part;

TEST(SolutionOutput, TemplateLineThenOneLinePerSlot) {
  Bench<1> one;
  one.fill({"sX", "Xr", "", "l"});
  one.s->PRINT_CODE(0);
  EXPECT_EQ(one.h.out.str(), "a(X):[1]a([2]),[3]a([4])\n[1]=sX\n[2]=Xr\n[3]=\n[4]=l\n");
  Bench<2> two;
  two.fill({"XY", "Ys", "r", "", "s", ""});
  two.s->PRINT_CODE(1);
  EXPECT_EQ(two.h.out.str(),
            "a(X,Y):[1]a([2],[3]),[4]a([5],[6])\n[1]=XY,0,0,1,1\n[2]=Ys,1,0,0,1\n[3]=r,0,1,0,0\n"
            "[4]=,0,0,0,0\n[5]=s,1,0,0,0\n[6]=,0,0,0,0\n");
  Bench<3> three;
  three.fill({"X", "Ys", "Z", "r", "", "", "", ""});
  three.s->PRINT_CODE(0);
  EXPECT_EQ(three.h.out.str(),
            "a(X,Y,Z):[1]a([2],[3],[4]),[5]a([6],[7],[8])\n[1]=X\n[2]=Ys\n[3]=Z\n[4]=r\n[5]=\n"
            "[6]=\n[7]=\n[8]=\n");
}

TEST(SolutionOutput, ClearReportEndsTheProgram) {
  // Map 0001: the target is four cells above the start.
  Bench<1> b(testing::catalogue_grid("0001"), 3, 100);
  b.fill({"X", "XX", "", "s"});
  int status = -1;
  try {
    b.s->innermost();
  } catch (const ProgramExit& e) {
    status = e.status;
  }
  EXPECT_EQ(status, 0);
  EXPECT_EQ(b.h.out.str(),
            "0001,100msteps,0mlastfail,7bytes\nTue Dec  8 15:43:33 2026\n"
            "a(X):[1]a([2]),[3]a([4])\n[1]=X\n[2]=XX\n[3]=\n[4]=s\n4steps!! clear!!\n");
}

const std::string kFix1 = "]を固定しますか？（1:yes,0:no）\n";
const std::string kError = "入力に誤りがあります\n";
const std::string kErrorPeriod = "入力に誤りがあります．\n";
const std::string kCodeRequest = "固定するコードを入力してください．\n";

TEST(FixingDialogue, EveryMessage) {
  Bench<1> b(testing::catalogue_grid("0001"), 3, 1, 0, 0, "0\n2\na\n1\nsY\nsX\n0\n1 0\n");
  b.s->input_fixcode();
  EXPECT_EQ(b.h.out.str(), "a(X):[1]a([2]),[3]a([4])\n[1" + kFix1 + "[2" + kFix1 + kErrorPeriod +
                               "[2" + kFix1 + kError + "[2" + kFix1 + kCodeRequest + kError + "[3" +
                               kFix1 + "[4" + kFix1 + kCodeRequest);
  const FixedSearch<1>& s = *b.s;
  EXPECT_EQ(s.slot[0].fixed, 0);
  EXPECT_EQ(s.slot[1].fixed, 1);
  EXPECT_EQ(s.slot[1].code, "sX");
  EXPECT_EQ(s.slot[1].scount, 1);
  EXPECT_EQ(s.slot[1].xcount, 1);
  EXPECT_EQ(s.fixlen[1], 2);
  EXPECT_EQ(s.slot[2].fixed, 0);
  EXPECT_EQ(s.slot[3].fixed, 1);
  EXPECT_EQ(s.slot[3].code, "");
  EXPECT_EQ(s.fixlen[3], 0);
}

TEST(FixingDialogue, LettersAreAcceptedInEverySlot) {
  Bench<2> b(testing::catalogue_grid("0001"), 3, 1, 0, 0, "0 0 0 1 sY 1 XY 0\n");
  b.s->input_fixcode();
  EXPECT_EQ(b.s->slot[3].code, "sY");
  EXPECT_EQ(b.s->slot[4].code, "XY");
  EXPECT_EQ(b.s->fixlen[4], 2);
  Bench<1> eof(testing::catalogue_grid("0001"), 3, 1, 0, 0, "0 1\n");
  EXPECT_THROW(eof.s->input_fixcode(), InputEnded);
}

std::string prompts(int slots) {
  std::string p;
  for (int n = 1; n <= slots; ++n) p += "[" + std::to_string(n) + "]を入力してください：";
  return p;
}

TEST(RestartDialogue, ReadsAWholeCandidate) {
  Bench<1> off(testing::catalogue_grid("0001"), 3, 1, 0, 0, "X rs 0 0\n");
  off.s->input_restartcode();
  EXPECT_EQ(off.h.out.str(), "");
  EXPECT_EQ(off.h.rest(), "X rs 0 0\n");

  Bench<2> b(testing::catalogue_grid("0001"), 6, 1, 0, 1, "sY Ys r 0 s 0\n");
  b.s->input_restartcode();
  EXPECT_EQ(b.h.out.str(), "a(X,Y):[1]a([2],[3]),[4]a([5],[6])\n" + prompts(6));
  EXPECT_EQ(b.s->res[0].code, "sY");
  EXPECT_EQ(b.s->res[0].ycount, 1);
  EXPECT_EQ(b.s->res[3].length, 0);
  EXPECT_EQ(b.s->res[4].length, 1);
  for (const code_parts& p : b.s->res) EXPECT_EQ(p.fixed, 0);
}

TEST(RestartDialogue, RefusedCandidatesAreAskedAgainWhole) {
  // One character short: every slot again.  A letter in a main-line slot:
  // that slot again.  An empty body with every byte in the main-line prefix:
  // every slot again, like a byte mismatch.
  Bench<1> b(testing::catalogue_grid("0001"), 3, 1, 0, 1, "X r 0 0\n0 0 sss 0\nsY\nX rs X\n0 0\n");
  b.s->input_restartcode();
  const std::string line = "a(X):[1]a([2]),[3]a([4])\n";
  const std::string mismatch = "バイト数が一致しません\n";
  EXPECT_EQ(b.h.out.str(), line + prompts(4) + mismatch + line + prompts(4) + mismatch + line +
                               "[1]を入力してください：" + kError + prompts(3) + kError +
                               "[3]を入力してください：[4]を入力してください：");
  EXPECT_EQ(b.s->res[0].code, "X");
  EXPECT_EQ(b.s->res[1].code, "rs");
}

}  // namespace
}  // namespace solver
