// The start-up dialogues driven through string streams.
#include <gtest/gtest.h>

#include <sstream>

#include "console_harness.hpp"
#include "grid.hpp"
#include "input.hpp"
#include "limits.hpp"

namespace solver {
namespace {

using testing::ConsoleHarness;

const char* const kListing =
    "このsolverのサンプルでは，以下のProblem_IDのみに対応しています\n\n"
    "0001 , 0002 , 0003 , 0004 , 0005 , 0006 , 0007 , 0008 , 0009 , 0010 , \n"
    "0743 , 0745 , 0747 , 0748 , 0801 , 0803 , 0805 , 0806\n\n"
    "検索するProblem_IDを入力してください";

std::vector<std::string> lines_of(const std::string& s) {
  std::vector<std::string> v;
  std::istringstream is(s);
  for (std::string l; std::getline(is, l);) v.push_back(l);
  return v;
}

TEST(MapDialogue, LoadsAndEchoesMap0001) {
  ConsoleHarness h("0001\n");
  Grid g;
  input_mapdata(h.c, g, kInputErrorLine);
  const std::string out = h.out.str();
  ASSERT_EQ(out.rfind(kListing, 0), 0u);
  const auto rows = lines_of(out.substr(std::string(kListing).size()));
  ASSERT_EQ(rows.size(), 25u);
  EXPECT_EQ(rows[8], "...........xox...........");
  EXPECT_EQ(rows[12], "...........xux...........");
  for (const auto& r : rows) EXPECT_EQ(r.size(), 25u);
  EXPECT_EQ(g.mapname, "0001");
  EXPECT_EQ(g.mappts, 1);
  EXPECT_EQ(g.startx, 13);
  EXPECT_EQ(g.starty, 13);
  EXPECT_EQ(g.k[13][9], 'o');
  EXPECT_EQ(g.k[13][13], '.');
  for (int i = 0; i <= 26; ++i) {
    EXPECT_EQ(g.k[i][0], 'x');
    EXPECT_EQ(g.k[i][26], 'x');
    EXPECT_EQ(g.k[0][i], 'x');
    EXPECT_EQ(g.k[26][i], 'x');
  }
  for (int x = 0; x <= 26; ++x)
    for (int y = 0; y <= 26; ++y) EXPECT_NE(g.k[x][y], 'u');
}

TEST(MapDialogue, UnknownIdsEndWithStatusOne) {
  for (const char* id : {"1", "0011", "00001", "743"}) {
    ConsoleHarness h(std::string(id) + "\n");
    Grid g;
    try {
      input_mapdata(h.c, g, kInputErrorLine);
      FAIL() << id;
    } catch (const ProgramExit& e) {
      EXPECT_EQ(e.status, 1);
    }
    EXPECT_EQ(h.out.str(), std::string(kListing) + "マップデータが読み込めません\n");
  }
}

TEST(MapDialogue, SecondWordStaysForTheNextPrompt) {
  ConsoleHarness h("0743 0745\n");
  Grid g;
  input_mapdata(h.c, g, kInputErrorLine);
  EXPECT_EQ(g.mapname, "0743");
  int next = 0;
  input_num(h.c, next, u8"検索バイト数を入力してください：");
  EXPECT_EQ(next, 745);
}

TEST(MapDialogue, EndOfInputNeverAsksAgain) {
  ConsoleHarness h("");
  Grid g;
  EXPECT_THROW(input_mapdata(h.c, g, kInputErrorLine), InputEnded);
  EXPECT_EQ(h.out.str(), kListing);
}

TEST(MapDialogue, InvalidCellIsEchoedThenReported) {
  ConsoleHarness h;
  Grid g;
  std::string map(625, '.');
  map[312] = 'u';
  map[30] = 'q';
  try {
    load_map(h.c, g, map);
    FAIL();
  } catch (const ProgramExit& e) {
    EXPECT_EQ(e.status, 1);
  }
  EXPECT_EQ(h.out.str(), std::string(25, '.') + "\n.....qマップデータに誤りがあります\n");
}

Limits ask(const std::string& input, int templatebytes, int threshold, std::string* out = nullptr) {
  ConsoleHarness h(input);
  Limits lim;
  input_all_conditions(h.c, lim, templatebytes, threshold);
  if (out) *out = h.out.str();
  return lim;
}

const char* const kBytePrompt = "検索バイト数を入力してください：";
const char* const kStepPrompt = "検索最大ステップ数を入力してください：";
const char* const kGrayPrompt = "最終灰色マス通過ステップ数を入力してください：";
const char* const kRestartPrompt = "検索開始位置を設定しますか？（yes=1, no=0）：";

TEST(LimitsDialogue, ByteCountMustLeaveABudgetAboveTheThreshold) {
  struct Case {
    int templatebytes, threshold, refused, accepted;
  };
  for (const Case& k : {Case{6, 3, 9, 10}, Case{5, 2, 7, 8}, Case{4, 1, 5, 6}, Case{8, 1, 9, 10}}) {
    std::string out;
    const std::string in =
        "0\n-4\n" + std::to_string(k.refused) + "\n" + std::to_string(k.accepted) + "\n100 50 0\n";
    const Limits lim = ask(in, k.templatebytes, k.threshold, &out);
    EXPECT_EQ(lim.bytes, k.accepted - k.templatebytes);
    EXPECT_EQ(lim.templatebytes, k.templatebytes);
    const std::string small = std::string(kBytePrompt) + "バイト数が小さすぎます\n";
    EXPECT_EQ(out, small + small + small + kBytePrompt + kStepPrompt + kGrayPrompt + kRestartPrompt);
  }
}

TEST(LimitsDialogue, ValuesAndRefusals) {
  std::string out;
  const Limits lim = ask("abc\n12abc\n0\n-5\n1\n-1\n2\n1\n", 6, 3, &out);
  EXPECT_EQ(lim.bytes, 6);
  EXPECT_EQ(lim.msteps, 1);
  EXPECT_EQ(lim.mlastfail, -1);
  EXPECT_EQ(lim.restart, 1);
  const std::string err = "入力に誤りがあります\n";
  EXPECT_EQ(out, std::string(kBytePrompt) + err + kBytePrompt +  // abc, then 12
                     kStepPrompt + err +                          // abc left on the line
                     kStepPrompt + err + kStepPrompt + err +      // 0 and -5
                     kStepPrompt + kGrayPrompt + kRestartPrompt + err + kRestartPrompt);
}

TEST(LimitsDialogue, RangeRefusalKeepsTheRestOfTheLine) {
  const Limits lim = ask("9 10\n0 7\n3\n0\n", 6, 3);
  EXPECT_EQ(lim.bytes, 4);
  EXPECT_EQ(lim.msteps, 7);
}

TEST(LimitsDialogue, HugeAndTinyCountsDoNotOverflow) {
  const Limits lim = ask("-2147483648\n2147483647\n2147483647\n-2147483648\n0\n", 6, 3);
  EXPECT_EQ(lim.bytes, 2147483647 - 6);
  EXPECT_EQ(lim.msteps, 2147483647);
  EXPECT_EQ(lim.mlastfail, -2147483648);
  // Out of the 32-bit range: an input error.
  std::string out;
  ask("99999999999\n10 5 5 0\n", 6, 3, &out);
  EXPECT_EQ(out.find("入力に誤りがあります"), std::string(kBytePrompt).size());
}

TEST(LimitsDialogue, EndOfInputAtEveryPrompt) {
  for (const char* in : {"", "10\n", "10 5\n", "10 5 5\n", "10 5 5 7\n", "abc"}) {
    ConsoleHarness h(in);
    Limits lim;
    EXPECT_THROW(input_all_conditions(h.c, lim, 6, 3), InputEnded) << in;
  }
}

}  // namespace
}  // namespace solver
