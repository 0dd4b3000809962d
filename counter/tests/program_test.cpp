// solvercount as a user runs it: whole standard output for piped dialogues.
#include <gtest/gtest.h>

#include <string>

#include "catalogue.hpp"
#include "process.hpp"
#include "reference_programs.hpp"

namespace solver {
namespace {

using testing::mask_time_lines;
using testing::program_path;
using testing::RunResult;

// Every case runs under each of these thread counts.
const char* const kThreads[] = {"1", "2", "8"};

RunResult run(const std::string& input, const std::vector<std::string>& args = {},
              const char* threads = "1") {
  return testing::run_program(program_path("solvercount"), args, input,
                              {"SOLVER_ENCODING=utf-8", std::string("SOLVER_THREADS=") + threads},
                              120);
}

// The listing, the prompt for the ID and the echo of the chosen map.
std::string map_dialogue(std::string_view id) {
  std::string s =
      "このsolverのサンプルでは，以下のProblem_IDのみに対応しています\n\n"
      "0001 , 0002 , 0003 , 0004 , 0005 , 0006 , 0007 , 0008 , 0009 , 0010 , \n"
      "0743 , 0745 , 0747 , 0748 , 0801 , 0803 , 0805 , 0806\n\n"
      "検索するProblem_IDを入力してください";
  for (const CatalogueEntry& e : kCatalogue) {
    if (e.id != id) continue;
    for (std::size_t row = 0; row < 25; ++row) {
      std::string line(e.map.substr(row * 25, 25));
      s += line + "\n";
    }
  }
  return s;
}

const std::string kLimitPrompts =
    "検索バイト数を入力してください：検索最大ステップ数を入力してください："
    "最終灰色マス通過ステップ数を入力してください："
    "検索開始位置を設定しますか？（yes=1, no=0）：";
const std::string kHint = "何かキーを押すと検索位置を出力します．pを押すと中断します．\n\n";
const std::string kTemplate = "a(X):[1]a([2],T-1)[3],a([4])\n";

std::string stamp(const std::string& limits) {
  return limits + "\n<time>\n";
}

TEST(CounterProgram, ClearsMap0001WithTheFirstCandidateThatRuns) {
  for (const char* threads : kThreads) {
    SCOPED_TRACE(threads);
    const RunResult r = run("0001\n10\n100\n0\n0\n", {}, threads);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    const std::string head = stamp("0001,100msteps,0mlastfail,10bytes");
    EXPECT_EQ(mask_time_lines(r.out), map_dialogue("0001") + kLimitPrompts + head + "0,1,1,0\n" +
                                          kHint + head + kTemplate +
                                          "[1]=\n[2]=s\n[3]=X\n[4]=\nT=5\n4steps!! clear!!\n");
  }
}

TEST(CounterProgram, SearchEndsWhenNothingClears) {
  for (const char* threads : kThreads) {
    SCOPED_TRACE(threads);
    const RunResult r = run("0001 10 3 0 0\n", {}, threads);
    EXPECT_EQ(r.status, 0);
    const std::string head = stamp("0001,3msteps,0mlastfail,10bytes");
    EXPECT_EQ(mask_time_lines(r.out), map_dialogue("0001") + kLimitPrompts + head + "0,1,1,0\n" +
                                          kHint + head + "0,0,1,1\n" + kHint + head +
                                          "search_end\n\n");
  }
}

TEST(CounterProgram, ResumesFromATypedPosition) {
  for (const char* threads : kThreads) {
    SCOPED_TRACE(threads);
    // A short total, then the position printed by an earlier search; the
    // resumption candidate itself is run first and clears.
    const RunResult r = run("0001\n11\n100\n0\n1\nX 0 0 0\n0 s X s\n", {}, threads);
    EXPECT_EQ(r.status, 0);
    const std::string ask = kTemplate + "[1]を入力してください：[2]を入力してください：" +
                            "[3]を入力してください：[4]を入力してください：";
    const std::string head = stamp("0001,100msteps,0mlastfail,11bytes");
    EXPECT_EQ(mask_time_lines(r.out), map_dialogue("0001") + kLimitPrompts + ask +
                                          "バイト数が一致しません\n" + ask + head + "0,1,1,1\n" +
                                          kHint + head + kTemplate +
                                          "[1]=\n[2]=s\n[3]=X\n[4]=s\nT=4\n4steps!! clear!!\n");
  }
}

TEST(CounterProgram, ResumedAtAReferenceProgramClearsWithIt) {
  for (const char* threads : kThreads) {
    SCOPED_TRACE(threads);
    int checked = 0;
    for (const testdata::ReferenceProgram& p : testdata::kReferencePrograms) {
      if (p.program != "solvercount") continue;
      ++checked;
      SCOPED_TRACE(std::string(p.id));
      std::string input = std::string(p.id) + "\n" + std::to_string(p.entered_bytes) + "\n" +
                          std::to_string(p.msteps) + "\n" + std::to_string(p.mlastfail) + "\n1\n";
      std::string lengths, lines;
      for (int n = 0; n < 4; ++n) {
        const std::string slot(p.slots[n]);
        input += (slot.empty() ? "0" : slot) + "\n";
        lengths += (n ? "," : "") + std::to_string(slot.size());
        lines += "[" + std::to_string(n + 1) + "]=" + slot + "\n";
      }
      const RunResult r = run(input, {}, threads);
      EXPECT_EQ(r.status, 0);
      const std::string head = stamp(std::string(p.id) + "," + std::to_string(p.msteps) +
                                     "msteps," + std::to_string(p.mlastfail) + "mlastfail," +
                                     std::to_string(p.entered_bytes) + "bytes");
      EXPECT_EQ(mask_time_lines(r.out),
                map_dialogue(p.id) + kLimitPrompts + kTemplate + "[1]を入力してください：" +
                    "[2]を入力してください：[3]を入力してください：[4]を入力してください：" + head +
                    lengths + "\n" + kHint + head + kTemplate + lines + "T=" + std::to_string(p.T) +
                    "\n" + std::to_string(p.commands.size()) + "steps!! clear!!\n");
    }
    EXPECT_GE(checked, 1);
  }
}

TEST(CounterProgram, LargerSearchesPrintTheSameOnEveryThreadCount) {
  // Big enough for the distributions to run on the workers.
  for (const char* input : {"0010\n14\n60\n0\n0\n", "0801\n15\n40\n0\n0\n"}) {
    SCOPED_TRACE(input);
    const RunResult one = run(input, {}, "1");
    EXPECT_EQ(one.status, 0);
    for (const char* threads : {"2", "8"}) {
      const RunResult many = run(input, {}, threads);
      EXPECT_EQ(many.status, 0);
      EXPECT_EQ(mask_time_lines(many.out), mask_time_lines(one.out)) << threads << " threads";
    }
  }
}

TEST(CounterProgram, EndOfInputAndArguments) {
  const RunResult ended = run("0001\n11\n100\n0\n1\n0 s\n");
  EXPECT_EQ(ended.status, 1);
  EXPECT_NE(ended.err, "");
  const RunResult help = run("", {"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.rfind("usage: solvercount\n", 0), 0u);
  const RunResult wrong = run("", {"0001"});
  EXPECT_EQ(wrong.status, 2);
  EXPECT_EQ(wrong.out, "");
}

}  // namespace
}  // namespace solver
