// The start-up dialogue of the linear search.
#include <gtest/gtest.h>

#include "input.hpp"
#include "linear_bench.hpp"

namespace solver {
namespace {

using testing::Bench;
using testing::catalogue_map;

const std::string kListing =
    "このsolverのサンプルでは，以下のProblem_IDのみに対応しています\n\n"
    "0001 , 0002 , 0003 , 0004 , 0005 , 0006 , 0007 , 0008 , 0009 , 0010 , \n"
    "0743 , 0745 , 0747 , 0748 , 0801 , 0803 , 0805 , 0806\n\n"
    "検索するProblem_IDを入力してください";

std::string echo(std::string_view id) {
  std::string out;
  const std::string_view map = catalogue_map(id);
  for (int row = 0; row < 25; ++row) out += std::string(map.substr(row * 25, 25)) + "\n";
  return out;
}

const std::string kTemplate = "a(T):[1]a(AT+B)[2]a(CT+D), a(E)\n";
const std::string kSlot1 = "[1]を入力してください：";
const std::string kSlot2 = "[2]を入力してください：";
const std::string kBytes = "検索バイト数を入力";
const std::string kSteps = "検索ステップ数を入力";
const std::string kGray = "最終灰色マス通過ステップ数を入力";
const std::string kStartE = "検索開始Eを入力";

TEST(LinearDialogue, AsksFragmentsThenFourIntegers) {
  Bench b("0001\nsrl 0\n14\n200 7\n3\n");
  b.s.dialogue();
  EXPECT_EQ(b.h.out.str(), kListing + echo("0001") + kTemplate + kSlot1 + kSlot2 + kBytes + kSteps +
                               kGray + kStartE);
  EXPECT_EQ(b.s.grid.mapname, "0001");
  EXPECT_EQ(b.s.j, "srl");
  EXPECT_EQ(b.s.jj, "");
  EXPECT_EQ(b.s.lim.bytes, 14);
  EXPECT_EQ(b.s.lim.msteps, 200);
  EXPECT_EQ(b.s.lim.mlastfail, 7);
  EXPECT_EQ(b.s.startE, 3);
  EXPECT_EQ(b.s.newbytes, 14 - 3 - 0 - 8);
  b.s.prepare();
  EXPECT_EQ(b.s.w.robot.msteps, 200);
  EXPECT_EQ(b.s.w.robot.mlastfail, 7);
  EXPECT_EQ(b.s.w.j.size(), 3u);
}

TEST(LinearDialogue, RefusesFragmentsWithOtherLetters) {
  Bench b("0004\nsX\nX\nrs\nss\n9\n1\n1\n1\n");
  b.s.dialogue();
  const std::string error = "入力に誤りがあります\n";
  EXPECT_EQ(b.h.out.str(), kListing + echo("0004") + kTemplate + kSlot1 + error + kSlot1 + error +
                               kSlot1 + kSlot2 + kBytes + kSteps + kGray + kStartE);
  EXPECT_EQ(b.s.j, "rs");
  EXPECT_EQ(b.s.jj, "ss");
}

TEST(LinearDialogue, UnreadableIntegersAreAskedAgain) {
  Bench b("0001\n0\n0\nabc def\n12abc\n-4\n0\nx\n-1\n");
  b.s.dialogue();
  const std::string error = "入力エラー\n";
  EXPECT_EQ(b.h.out.str(), kListing + echo("0001") + kTemplate + kSlot1 + kSlot2 + kBytes + error +
                               kBytes + kSteps + error + kSteps + kGray + kStartE + error +
                               kStartE);
  // No range is checked: negative and zero values are taken as they are.
  EXPECT_EQ(b.s.lim.bytes, 12);
  EXPECT_EQ(b.s.lim.msteps, -4);
  EXPECT_EQ(b.s.lim.mlastfail, 0);
  EXPECT_EQ(b.s.startE, -1);
}

TEST(LinearDialogue, EightBytesWithEmptyFragmentsLeaveNoBudget) {
  Bench b("0001 0 0 8 10 0 2\n");
  b.s.main_flow();
  EXPECT_EQ(b.s.newbytes, 0);
  EXPECT_EQ(b.s.w.candidates, 0u);
  const std::string out = b.h.out.str();
  const std::string head = "0001,10msteps,0mlastfail,8bytes\n";
  const std::string tail = "2\n" + head + testing::kTime + "1\n" + head + testing::kTime + "0\n" +
                           head + testing::kTime + "search_end\n";
  ASSERT_GE(out.size(), tail.size());
  EXPECT_EQ(out.substr(out.size() - tail.size()), tail);
}

}  // namespace
}  // namespace solver
