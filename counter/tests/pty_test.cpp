// solvercount on a pseudo-terminal with two search threads: a key shows the
// position, "p" pauses until "r", Ctrl-C shows the position and ends.
#include "pty.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "process.hpp"

namespace solver {
namespace {

using solver::testing::program_path;
using solver::testing::PtyProcess;

const std::string kHint = "何かキーを押すと検索位置を出力します．pを押すと中断します．\n\n";
const std::string kTemplate = "a(X):[1]a([2],T-1)[3],a([4])\n";
const std::string kPause = "r：再開，q:終了\n";
const std::string kStamp = "0001,1msteps,0mlastfail,30bytes\n";

// A search that runs for ever: no candidate gets past its first command.
const std::string kDialogue = "0001\n30\n1\n0\n0\n";

// The four slot lines and the count line of the position printed at `at`.
std::vector<std::string> position_at(const std::string& out, std::size_t at) {
  std::vector<std::string> lines;
  std::istringstream in(out.substr(at + kTemplate.size()));
  std::string line;
  for (int n = 0; n < 5 && std::getline(in, line); ++n) lines.push_back(line);
  return lines;
}

// Sends a key and returns where the position it shows starts.
std::size_t show_position(PtyProcess& p, const std::string& key) {
  EXPECT_TRUE(p.wait_for_line_mode(false));
  const std::size_t from = p.output().size();
  p.send(key);
  const std::size_t at = p.wait_for(kTemplate, from);
  EXPECT_NE(at, std::string::npos);
  if (at == std::string::npos) return at;
  EXPECT_NE(p.output().rfind(kStamp, at), std::string::npos);  // the time lines come first
  EXPECT_NE(p.wait_for("\nT=", at), std::string::npos);
  return at;
}

void expect_position(const std::vector<std::string>& lines) {
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0], "[1]=");
  EXPECT_EQ(lines[1].size(), 4u + 21u);  // "[2]=" and the whole budget but [3]
  EXPECT_EQ(lines[2].size(), 4u + 1u);
  EXPECT_EQ(lines[3], "[4]=");
  EXPECT_EQ(lines[4].rfind("T=", 0), 0u);
}

TEST(CounterTerminal, KeyPauseAndInterruptOnTwoThreads) {
  PtyProcess p(program_path("solvercount"), {"SOLVER_ENCODING=utf-8", "SOLVER_THREADS=2"});
  ASSERT_TRUE(p.started());
  const termios before = p.attributes();
  ASSERT_NE(p.wait_for("Problem_ID"), std::string::npos);
  p.send(kDialogue);
  ASSERT_NE(p.wait_for("0,21,1,0\n"), std::string::npos);

  // Any key: the position, then the hint; the search goes on.
  const std::size_t first = show_position(p, "a");
  ASSERT_NE(first, std::string::npos);
  ASSERT_NE(p.wait_for(kHint, first), std::string::npos);
  const std::vector<std::string> shown = position_at(p.output(), first);
  expect_position(shown);

  // "p": the position and the question, in line mode; "r" resumes.
  const std::size_t paused = show_position(p, "p");
  ASSERT_NE(paused, std::string::npos);
  ASSERT_NE(p.wait_for(kPause, paused), std::string::npos);
  ASSERT_TRUE(p.wait_for_line_mode(true));
  p.send("r\n");
  ASSERT_NE(p.wait_for(kHint, paused), std::string::npos);

  const std::size_t second = show_position(p, "b");
  ASSERT_NE(second, std::string::npos);
  ASSERT_NE(p.wait_for(kHint, second), std::string::npos);  // the key has been taken
  EXPECT_NE(position_at(p.output(), second), shown);  // the search moved on

  // Ctrl-C: the time lines and the position, status 130, terminal restored.
  const std::size_t interrupted = show_position(p, "\x03");
  ASSERT_NE(interrupted, std::string::npos);
  EXPECT_EQ(p.wait_exit(), 130);
  expect_position(position_at(p.output(), interrupted));
  EXPECT_EQ(p.output().find(kHint, interrupted), std::string::npos);
  const termios after = p.attributes();
  EXPECT_EQ(after.c_lflag, before.c_lflag);
}

}  // namespace
}  // namespace solver
