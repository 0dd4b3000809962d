// The built solver3, solver2 and solver1 with piped dialogue input.
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "catalogue.hpp"
#include "process.hpp"
#include "reference_programs.hpp"

namespace solver {
namespace {

using solver::testing::mask_time_lines;
using solver::testing::program_path;
using solver::testing::RunResult;

// Runs the program with one, two and eight search threads: the output (time
// lines aside), the error output and the status must be the same.
RunResult run(const std::string& program, const std::string& input) {
  RunResult first;
  for (const char* threads : {"1", "2", "8"}) {
    const RunResult r = solver::testing::run_program(
        program_path(program), {}, input,
        {"SOLVER_ENCODING=utf-8", std::string("SOLVER_THREADS=") + threads}, 60);
    if (threads[0] == '1') {
      first = r;
      continue;
    }
    EXPECT_EQ(mask_time_lines(r.out), mask_time_lines(first.out)) << program << " " << threads;
    EXPECT_EQ(r.err, first.err) << program << " " << threads;
    EXPECT_EQ(r.status, first.status) << program << " " << threads;
  }
  return first;
}

std::string map_echo(const std::string& id) {
  for (const CatalogueEntry& e : kCatalogue) {
    if (e.id != id) continue;
    std::string echo;
    for (std::size_t row = 0; row < 25; ++row)
      echo += std::string(e.map.substr(row * 25, 25)) + "\n";
    return echo;
  }
  return "";
}

// Everything up to the fixing dialogue.
std::string opening(const std::string& id) {
  return "このsolverのサンプルでは，以下のProblem_IDのみに対応しています\n\n"
         "0001 , 0002 , 0003 , 0004 , 0005 , 0006 , 0007 , 0008 , 0009 , 0010 , \n"
         "0743 , 0745 , 0747 , 0748 , 0801 , 0803 , 0805 , 0806\n\n"
         "検索するProblem_IDを入力してください" +
         map_echo(id) +
         "検索バイト数を入力してください：検索最大ステップ数を入力してください："
         "最終灰色マス通過ステップ数を入力してください："
         "検索開始位置を設定しますか？（yes=1, no=0）：";
}

std::string fix_question(int n) {
  return "[" + std::to_string(n) + "]を固定しますか？（1:yes,0:no）\n";
}

std::string fix_questions(int slots) {
  std::string q;
  for (int n = 1; n <= slots; ++n) q += fix_question(n);
  return q;
}

const std::string kHint = "何かキーを押すと検索位置を出力します．pを押すと中断します．\n\n";
const std::string kSolver1 = "a(X):[1]a([2]),[3]a([4])\n";
const std::string kSolver3 = "a(X,Y,Z):[1]a([2],[3],[4]),[5]a([6],[7],[8])\n";

TEST(Programs, SearchThatClearsMap0001) {
  const RunResult r = run("solver1", "0001\n8\n100\n0\n0\n0 0 0 0\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "");
  const std::string times = "0001,100msteps,0mlastfail,8bytes\n<time>\n";
  EXPECT_EQ(mask_time_lines(r.out), opening("0001") + kSolver1 + fix_questions(4) + times +
                                        "1,3,0,0\n" + kHint + times + kSolver1 +
                                        "[1]=X\n[2]=rXs\n[3]=\n[4]=\n53steps!! clear!!\n");
}

TEST(Programs, SearchThatEnds) {
  // Two commands cannot reach 0001's target, four cells away.
  const RunResult r = run("solver3", "0001 10 3 0 0 0 0 0 0 0 0 0 0\n");
  EXPECT_EQ(r.status, 0);
  const std::string times = "0001,3msteps,0mlastfail,10bytes\n<time>\n";
  std::string expected = opening("0001") + kSolver3 + fix_questions(8);
  for (const char* d :
       {"1,1,1,1,0,0,0,0", "1,1,0,1,0,0,1,0", "1,1,1,0,0,0,0,1", "1,1,0,0,0,0,1,1"}) {
    expected += times + d + "\n" + kHint;
  }
  expected += times + "search_end\n\n";
  EXPECT_EQ(mask_time_lines(r.out), expected);
}

TEST(Programs, FixedSlot) {
  // [1] fixed to Xr: the distributions with a one-character [1] are skipped.
  const RunResult r = run("solver1", "0001\n8\n13\n0\n0\n1\nXr\n0\n0\n0\n");
  EXPECT_EQ(r.status, 0);
  const std::string times = "0001,13msteps,0mlastfail,8bytes\n<time>\n";
  EXPECT_EQ(mask_time_lines(r.out),
            opening("0001") + kSolver1 + fix_question(1) + "固定するコードを入力してください．\n" +
                fix_question(2) + fix_question(3) + fix_question(4) + times + "2,2,0,0\n" + kHint +
                times + kSolver1 + "[1]=Xr\n[2]=ls\n[3]=\n[4]=\n12steps!! clear!!\n");
}

TEST(Programs, ResumedFromAPrintedPosition) {
  // The solution printed by the search above, typed back slot by slot.
  const RunResult r = run("solver1", "0001 8 100 0 1 0 0 0 0\nX rXs 0 0\n");
  EXPECT_EQ(r.status, 0);
  const std::string times = "0001,100msteps,0mlastfail,8bytes\n<time>\n";
  EXPECT_EQ(mask_time_lines(r.out),
            opening("0001") + kSolver1 + fix_questions(4) + kSolver1 +
                "[1]を入力してください：[2]を入力してください：[3]を入力してください：[4]を入力して"
                "ください：" +
                times + "1,3,0,0\n" + kHint + times + kSolver1 +
                "[1]=X\n[2]=rXs\n[3]=\n[4]=\n53steps!! clear!!\n");
}

TEST(Programs, EndOfInputAtEveryPrompt) {
  const std::vector<std::pair<std::string, std::string>> dialogue = {
      {"0001", "検索するProblem_IDを入力してください"},
      {"8", "検索バイト数を入力してください："},
      {"100", "検索最大ステップ数を入力してください："},
      {"0", "最終灰色マス通過ステップ数を入力してください："},
      {"1", "検索開始位置を設定しますか？（yes=1, no=0）："},
      {"0", fix_question(1)},
      {"1", fix_question(2)},
      {"rXs", "固定するコードを入力してください．\n"},
      {"0", fix_question(3)},
      {"0", fix_question(4)},
      {"X", kSolver1 + "[1]を入力してください："},
      {"rXs", "[2]を入力してください："},
      {"0", "[3]を入力してください："},
      {"0", "[4]を入力してください："}};
  std::string input;
  for (const auto& [answer, prompt] : dialogue) {
    const RunResult r = run("solver1", input);
    EXPECT_FALSE(r.timed_out) << input;
    EXPECT_EQ(r.status, 1) << input;
    EXPECT_NE(r.err.find("standard input ended"), std::string::npos) << input;
    const std::string out = r.out;
    ASSERT_GE(out.size(), prompt.size()) << input;
    EXPECT_EQ(out.substr(out.size() - prompt.size()), prompt) << input;
    input += answer + "\n";
  }
  const RunResult done = run("solver1", input);
  EXPECT_EQ(done.status, 0);
  EXPECT_NE(done.out.find("53steps!! clear!!\n"), std::string::npos);
}

TEST(Programs, PipedOutputIsCp932ByDefault) {
  const RunResult r = solver::testing::run_program(program_path("solver2"), {}, "", {}, 60);
  EXPECT_EQ(r.status, 1);
  const std::string prompt =
      "\x8c\x9f\x8d\xf5\x82\xb7\x82\xe9Problem_ID\x82\xf0\x93\xfc\x97\xcd\x82\xb5\x82\xc4\x82\xad"
      "\x82\xbe\x82\xb3\x82\xa2";
  EXPECT_NE(r.out.find(prompt), std::string::npos);
}

TEST(Programs, CommandLine) {
  for (const char* program : {"solver3", "solver2", "solver1"}) {
    const RunResult help = solver::testing::run_program(program_path(program), {"--help"}, "");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find(std::string("usage: ") + program), std::string::npos);
    EXPECT_NE(help.out.find("SOLVER_ENCODING"), std::string::npos);
    const RunResult h = solver::testing::run_program(program_path(program), {"-h"}, "");
    EXPECT_EQ(h.out, help.out);
    const RunResult bad = solver::testing::run_program(program_path(program), {"x"}, "0001\n");
    EXPECT_EQ(bad.status, 2);
    EXPECT_EQ(bad.out, "");
    EXPECT_NE(bad.err.find("usage"), std::string::npos);
  }
}

// Every reference program written in these templates clears its map when
// typed as the candidate to resume from.
TEST(Programs, ReferenceProgramsClearTheirMaps) {
  std::set<std::string> programs;
  for (const auto& ref : testdata::kReferencePrograms) {
    const std::string program(ref.program);
    int n = 0;
    if (program == "solver3") n = 3;
    if (program == "solver2") n = 2;
    if (program == "solver1") n = 1;
    if (n == 0) continue;
    std::ostringstream input;
    input << ref.id << "\n"
          << ref.entered_bytes << "\n"
          << ref.msteps << "\n"
          << ref.mlastfail << "\n1\n";
    for (int i = 0; i < 2 * n + 2; ++i) input << "0\n";
    std::string lines;
    for (int i = 0; i < 2 * n + 2; ++i) {
      const std::string code(ref.slots[static_cast<std::size_t>(i)]);
      input << (code.empty() ? "0" : code) << "\n";
      lines += "[" + std::to_string(i + 1) + "]=" + code + "\n";
    }
    const RunResult r = run(program, input.str());
    EXPECT_EQ(r.status, 0) << ref.id;
    const std::string ending = lines + std::to_string(ref.commands.size()) + "steps!! clear!!\n";
    ASSERT_GE(r.out.size(), ending.size()) << ref.id;
    EXPECT_EQ(r.out.substr(r.out.size() - ending.size()), ending) << ref.id << "\n" << r.out;
    programs.insert(program);
  }
  EXPECT_EQ(programs.size(), 3u);  // each of the three templates has some
}

}  // namespace
}  // namespace solver
