// solverlinear as a process: whole standard output for piped dialogues.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "catalogue.hpp"
#include "process.hpp"
#include "reference_programs.hpp"

namespace solver {
namespace {

using testing::mask_time_lines;
using testing::program_path;
using testing::RunResult;

// Every search test runs on one, two and eight threads: the output must not
// depend on the number.
constexpr int kThreads[] = {1, 2, 8};

RunResult solverlinear(const std::string& input, const std::vector<std::string>& args = {},
                       int threads = 1) {
  return testing::run_program(
      program_path("solverlinear"), args, input,
      {"SOLVER_ENCODING=utf-8", "TZ=UTC", "SOLVER_THREADS=" + std::to_string(threads)}, 120);
}

std::string start_up(std::string_view id) {
  std::string out =
      "このsolverのサンプルでは，以下のProblem_IDのみに対応しています\n\n"
      "0001 , 0002 , 0003 , 0004 , 0005 , 0006 , 0007 , 0008 , 0009 , 0010 , \n"
      "0743 , 0745 , 0747 , 0748 , 0801 , 0803 , 0805 , 0806\n\n"
      "検索するProblem_IDを入力してください";
  for (const auto& e : kCatalogue)
    if (e.id == id)
      for (int row = 0; row < 25; ++row) out += std::string(e.map.substr(row * 25, 25)) + "\n";
  return out + "a(T):[1]a(AT+B)[2]a(CT+D), a(E)\n" +
         "[1]を入力してください：[2]を入力してください：検索バイト数を入力検索ステップ数を入力"
         "最終灰色マス通過ステップ数を入力検索開始Eを入力";
}

TEST(LinearProgram, ClearsMap0001) {
  // Four forward steps reach the target: a(4) runs [1] = s in a(4), a(3),
  // a(2) and a(1), each of whose first call gets an argument of 0 or less.
  for (const int threads : kThreads) {
    const RunResult r = solverlinear("0001\ns\n0\n11\n5\n0\n4\n", {}, threads);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    const std::string head = "0001,5msteps,0mlastfail,11bytes\n<time>\n";
    EXPECT_EQ(mask_time_lines(r.out), start_up("0001") + "4\n" + head + head +
                                          "a(T):[1]a(1T+-255)[2]a(1T+-1), a(4)\n[1]=s\n[2]=\n"
                                          "4steps!! clear!!\n")
        << threads;
  }
}

TEST(LinearProgram, ExhaustedSearchEndsWithoutATimeLine) {
  // Turns only: nothing ever moves, every candidate of every E fails.
  for (const int threads : kThreads) {
    const RunResult r = solverlinear("0003 r l 12 50 0 2\n", {}, threads);
    EXPECT_EQ(r.status, 0);
    const std::string head = "0003,50msteps,0mlastfail,12bytes\n<time>\n";
    EXPECT_EQ(mask_time_lines(r.out),
              start_up("0003") + "2\n" + head + "1\n" + head + "0\n" + head + "search_end\n")
        << threads;
  }
}

// Searching from the reference program's E with its byte count and limits
// finds that program first and clears on its last command.
TEST(LinearProgram, ClearsCatalogueMapsWithTheirReferencePrograms) {
  int seen = 0;
  for (const auto& p : testdata::kReferencePrograms) {
    if (p.program != "solverlinear") continue;
    ++seen;
    const auto word = [](std::string_view s) {
      return s.empty() ? std::string("0") : std::string(s);
    };
    const std::string input = std::string(p.id) + "\n" + word(p.slots[0]) + "\n" +
                              word(p.slots[1]) + "\n" + std::to_string(p.entered_bytes) + "\n" +
                              std::to_string(p.msteps) + "\n" + std::to_string(p.mlastfail) + "\n" +
                              std::to_string(p.E) + "\n";
    for (const int threads : kThreads) {
      const RunResult r = solverlinear(input, {}, threads);
      EXPECT_EQ(r.status, 0) << p.id;
      const std::string head = std::string(p.id) + "," + std::to_string(p.msteps) + "msteps," +
                               std::to_string(p.mlastfail) + "mlastfail," +
                               std::to_string(p.entered_bytes) + "bytes\n<time>\n";
      const std::string code = "a(T):[1]a(" + std::to_string(p.A) + "T+" + std::to_string(p.B) +
                               ")[2]a(" + std::to_string(p.C) + "T+" + std::to_string(p.D) +
                               "), a(" + std::to_string(p.E) + ")\n[1]=" + std::string(p.slots[0]) +
                               "\n[2]=" + std::string(p.slots[1]) + "\n";
      EXPECT_EQ(mask_time_lines(r.out), start_up(p.id) + std::to_string(p.E) + "\n" + head + head +
                                            code + std::to_string(p.commands.size()) +
                                            "steps!! clear!!\n")
          << p.id << " on " << threads << " threads";
    }
  }
  EXPECT_GT(seen, 0);
}

TEST(LinearProgram, ArgumentsHelpAndEndOfInput) {
  const RunResult help = solverlinear("", {"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("usage: solverlinear"), std::string::npos);
  EXPECT_EQ(solverlinear("", {"-x"}).status, 2);
  const RunResult cut = solverlinear("0001 s 0 11\n");
  EXPECT_EQ(cut.status, 1);
  EXPECT_NE(cut.err.find("solverlinear"), std::string::npos);
}

}  // namespace
}  // namespace solver
