// The restart dialogue and the whole program driven in-process.
#include <gtest/gtest.h>

#include <string>

#include "counter_fixture.hpp"
#include "input.hpp"

namespace solver {
namespace {

using testing::ConsoleHarness;
using testing::CounterFixture;

const std::string kTemplate = "a(X):[1]a([2],T-1)[3],a([4])\n";
std::string ask(int n) {
  return "[" + std::to_string(n) + "]を入力してください：";
}
const std::string kAllFour = kTemplate + ask(1) + ask(2) + ask(3) + ask(4);
const std::string kMismatch = "バイト数が一致しません\n";
const std::string kWrong = "入力に誤りがあります\n";

struct Restart : CounterFixture {
  Restart(const std::string& input, int bytes) : CounterFixture(input) {
    limits(bytes, 100);
    s.lim.restart = 1;
  }
};

TEST(CounterDialogue, ReadsTheFourFragments) {
  Restart f("0 sX\nlX rl\n", 6);
  f.s.input_restartcode();
  EXPECT_EQ(f.out(), kAllFour);
  EXPECT_EQ(f.s.resj.code, "");
  EXPECT_EQ(f.s.resa.code, "sX");
  EXPECT_EQ(f.s.resa.length, 2);
  EXPECT_EQ(f.s.resa.xcount, 1);
  EXPECT_EQ(f.s.resjj.turncount, 1);
  EXPECT_EQ(f.s.resaa.code, "rl");
  EXPECT_EQ(f.s.resaa.turncount, 2);
  EXPECT_EQ(f.s.resaa.fixed, 0);
  EXPECT_EQ(f.h.rest(), "\n");
}

TEST(CounterDialogue, RefusesBadLettersSlotBySlot) {
  // Y is no letter of this program; X is none of the main-line argument's.
  Restart f("sY X 0 X X s\n", 3);
  f.s.input_restartcode();
  EXPECT_EQ(f.out(),
            kTemplate + ask(1) + kWrong + ask(1) + ask(2) + ask(3) + ask(4) + kWrong + ask(4));
  EXPECT_EQ(f.s.resj.code, "X");
  EXPECT_EQ(f.s.resa.code, "");
  EXPECT_EQ(f.s.resjj.code, "X");
  EXPECT_EQ(f.s.resaa.code, "s");
  EXPECT_EQ(f.s.resaa.xcount, 0);
}

TEST(CounterDialogue, AsksAllFourAgainWhenTheLengthsDoNotAddUp) {
  // One short, one long, then the whole budget in [1], then a position.
  Restart f("s 0 0 0\nss s X s\nsX 0 0 0\n0 s X 0\n", 2);
  f.s.input_restartcode();
  EXPECT_EQ(f.out(), kAllFour + kMismatch + kAllFour + kMismatch + kAllFour + kMismatch + kAllFour);
  EXPECT_EQ(f.s.resj.length, 0);
  EXPECT_EQ(f.s.resa.code, "s");
  EXPECT_EQ(f.s.resjj.code, "X");
  EXPECT_EQ(f.s.resaa.length, 0);
}

TEST(CounterDialogue, NothingWithoutRestartAndEndOfInputEnds) {
  CounterFixture none("s s s s\n");
  none.s.input_restartcode();
  EXPECT_EQ(none.out(), "");
  Restart ended("0 s\n", 2);
  EXPECT_THROW(ended.s.input_restartcode(), InputEnded);
  EXPECT_EQ(ended.out(), kTemplate + ask(1) + ask(2) + ask(3));
}

TEST(CounterDialogue, WholeProgramFromTheDialogueToTheEnd) {
  // Budget 9 is refused, then 10; a resumption that clears at once on 0001.
  ConsoleHarness h("0001\n9 10\n100 0 1\n0 s X 0\n");
  setenv("TZ", "UTC", 1);
  tzset();
  try {
    run_counter(h.c);
    FAIL() << "no clear";
  } catch (const ProgramExit& e) {
    EXPECT_EQ(e.status, 0);
  }
  const std::string out = h.out.str();
  const std::string tail =
      "検索バイト数を入力してください：バイト数が小さすぎます\n"
      "検索バイト数を入力してください：検索最大ステップ数を入力してください："
      "最終灰色マス通過ステップ数を入力してください："
      "検索開始位置を設定しますか？（yes=1, no=0）：" +
      kAllFour + "0001,100msteps,0mlastfail,10bytes\n" + testing::kTime + "0,1,1,0\n" +
      testing::kHint + "0001,100msteps,0mlastfail,10bytes\n" + testing::kTime + kTemplate +
      "[1]=\n[2]=s\n[3]=X\n[4]=\nT=5\n4steps!! clear!!\n";
  EXPECT_TRUE(out.ends_with(tail)) << out;
}

}  // namespace
}  // namespace solver
