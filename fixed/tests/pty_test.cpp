// solver3 on a pseudo-terminal: keys during the search, the pause, and the
// terminal's settings afterwards.
#include "pty.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "process.hpp"

namespace solver {
namespace {

using solver::testing::program_path;
using solver::testing::PtyProcess;

const std::string kHint = "何かキーを押すと検索位置を出力します．pを押すと中断します．\n\n";
const std::string kTemplate = "a(X,Y,Z):[1]a([2],[3],[4]),[5]a([6],[7],[8])\n";
const std::string kPause = "r：再開，q:終了\n";

// A search that runs for ever: a large byte count, and a step limit that
// lets no candidate clear.
const std::string kDialogue = "0001\n30\n1\n0\n";
const std::string kNoFixing = "0 0 0 0 0 0 0 0\n";
// Two search threads: the positions come from the ordered parallel search.
const std::vector<std::string> kEnv = {"SOLVER_ENCODING=utf-8", "SOLVER_THREADS=2"};

// The slot fragments of the position printed at `at` ("[1]=X" ...).
std::vector<std::string> position_at(const std::string& out, std::size_t at) {
  std::vector<std::string> slots;
  std::istringstream lines(out.substr(at + kTemplate.size()));
  std::string line;
  for (int n = 1; n <= 8 && std::getline(lines, line); ++n) {
    const std::string head = "[" + std::to_string(n) + "]=";
    if (line.rfind(head, 0) != 0) break;
    slots.push_back(line.substr(head.size()));
  }
  return slots;
}

// Sends a key during the search and returns where the position it shows
// starts, after checking that the hint line follows it.
std::size_t show_position(PtyProcess& p, char key) {
  EXPECT_TRUE(p.wait_for_line_mode(false));  // searching: keys are taken one by one
  const std::size_t from = p.output().size();
  p.send(std::string(1, key));
  const std::size_t at = p.wait_for(kTemplate, from);
  EXPECT_NE(at, std::string::npos);
  if (at == std::string::npos) return at;
  EXPECT_NE(p.output().rfind("0001,1msteps,0mlastfail,30bytes\n", at), std::string::npos);
  EXPECT_NE(p.wait_for(kHint, at), std::string::npos);
  return at;
}

// "p", then the answer once the terminal is back in line mode.
void pause_and_answer(PtyProcess& p, const std::string& answer) {
  EXPECT_TRUE(p.wait_for_line_mode(false));
  const std::size_t from = p.output().size();
  p.send("p");
  const std::size_t at = p.wait_for(kTemplate, from);
  ASSERT_NE(at, std::string::npos);
  ASSERT_NE(p.wait_for(kPause, at), std::string::npos);
  ASSERT_TRUE(p.wait_for_line_mode(true));
  p.send(answer);
}

TEST(Terminal, KeysPauseResumeAndQuit) {
  PtyProcess p(program_path("solver3"), kEnv);
  ASSERT_TRUE(p.started());
  const termios before = p.attributes();
  ASSERT_NE(before.c_lflag & ICANON, 0u);
  ASSERT_NE(before.c_lflag & ECHO, 0u);
  ASSERT_NE(p.wait_for("Problem_ID"), std::string::npos);
  p.send(kDialogue + "0\n" + kNoFixing);
  ASSERT_NE(p.wait_for("1,21,1,1,0,0,0,0\n"), std::string::npos);

  // Any key: the time lines, the position, the hint; the search goes on.
  const std::size_t first = show_position(p, 'a');
  ASSERT_NE(first, std::string::npos);
  const std::vector<std::string> shown = position_at(p.output(), first);
  ASSERT_EQ(shown.size(), 8u);
  EXPECT_EQ(shown[0], "X");
  EXPECT_EQ(shown[1].size(), 21u);

  // "p" pauses; "x" is ignored, "r" resumes with the hint line.
  pause_and_answer(p, "x\nr\n");
  const std::size_t resumed = p.wait_for(kPause);
  ASSERT_NE(p.wait_for(kHint, resumed), std::string::npos);
  const std::size_t second = show_position(p, 'b');
  ASSERT_NE(second, std::string::npos);
  EXPECT_NE(position_at(p.output(), second), shown);  // the search moved on

  // "p" then "q" ends the program with status 0 and nothing more.
  pause_and_answer(p, "q\n");
  EXPECT_EQ(p.wait_exit(), 0);
  const std::string& out = p.output();
  EXPECT_EQ(out.substr(out.size() - kPause.size() - 2), kPause + "q\n");  // the echo of q

  const termios after = p.attributes();
  EXPECT_EQ(after.c_lflag, before.c_lflag);
  EXPECT_NE(after.c_lflag & ICANON, 0u);
  EXPECT_NE(after.c_lflag & ECHO, 0u);
}

TEST(Terminal, ResumesFromThePositionItShowed) {
  std::vector<std::string> shown;
  {
    PtyProcess p(program_path("solver3"), kEnv);
    ASSERT_TRUE(p.started());
    p.send(kDialogue + "0\n" + kNoFixing);
    ASSERT_NE(p.wait_for("1,21,1,1,0,0,0,0\n"), std::string::npos);
    const std::size_t at = show_position(p, 'a');
    ASSERT_NE(at, std::string::npos);
    shown = position_at(p.output(), at);
    pause_and_answer(p, "q\n");
    EXPECT_EQ(p.wait_exit(), 0);
  }
  ASSERT_EQ(shown.size(), 8u);
  std::string typed;
  std::string lengths;
  for (const std::string& s : shown) {
    typed += (s.empty() ? "0" : s) + "\n";
    lengths += (lengths.empty() ? "" : ",") + std::to_string(s.size());
  }
  PtyProcess p(program_path("solver3"), kEnv);
  ASSERT_TRUE(p.started());
  p.send(kDialogue + "1\n" + kNoFixing + typed);
  ASSERT_NE(p.wait_for(lengths + "\n"), std::string::npos);
  // The first printed distribution is the one of the position.
  const std::string stamp = "0001,1msteps,0mlastfail,30bytes\n";
  std::istringstream after(p.output().substr(p.output().find(stamp) + stamp.size()));
  std::string time_line, first_distribution;
  std::getline(after, time_line);
  std::getline(after, first_distribution);
  EXPECT_EQ(first_distribution, lengths);
  const std::size_t at = show_position(p, 'a');
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(position_at(p.output(), at)[0], "X");
  pause_and_answer(p, "q\n");
  EXPECT_EQ(p.wait_exit(), 0);
}

TEST(Terminal, InterruptShowsThePositionAndRestoresTheTerminal) {
  PtyProcess p(program_path("solver3"), kEnv);
  ASSERT_TRUE(p.started());
  const termios before = p.attributes();
  p.send(kDialogue + "0\n" + kNoFixing);
  ASSERT_NE(p.wait_for("1,21,1,1,0,0,0,0\n"), std::string::npos);
  ASSERT_TRUE(p.wait_for_line_mode(false));
  const std::size_t from = p.output().size();
  p.send("\x03");  // Ctrl-C: SIGINT to the program
  const std::size_t at = p.wait_for(kTemplate, from);
  ASSERT_NE(at, std::string::npos);
  EXPECT_NE(p.output().rfind("0001,1msteps,0mlastfail,30bytes\n", at), std::string::npos);
  EXPECT_EQ(p.wait_exit(), 130);
  const std::vector<std::string> shown = position_at(p.output(), at);
  ASSERT_EQ(shown.size(), 8u);
  EXPECT_EQ(shown[0], "X");
  const termios after = p.attributes();
  EXPECT_EQ(after.c_lflag, before.c_lflag);
}

}  // namespace
}  // namespace solver
