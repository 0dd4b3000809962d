// solverlinear on a pseudo-terminal with two search threads: the position
// shown on a key, the pause, and Ctrl-C.
#include "pty.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "process.hpp"

namespace solver {
namespace {

using solver::testing::program_path;
using solver::testing::PtyProcess;

const std::string kPause = "r：再開，q:終了\n";
// A search without end: a step limit that refuses every command, and a byte
// count so large that no E is ever finished.
const std::string kDialogue = "0001\ns\nr\n2000000000\n1\n0\n200\n";
const std::string kHead = "0001,1msteps,0mlastfail,2000000000bytes\n";

// Waits for a printed position after `from`: the time lines before it, and
// its three lines.  Returns the template line.
std::string position_after(PtyProcess& p, std::size_t from) {
  SCOPED_TRACE("output before: " + p.output().substr(from > 300 ? from - 300 : 0));
  const std::size_t at = p.wait_for("a(T):[1]a(", from);
  EXPECT_NE(at, std::string::npos);
  if (at == std::string::npos) return "";
  EXPECT_NE(p.wait_for("\n[1]=s\n[2]=r\n", at), std::string::npos);
  EXPECT_NE(p.output().rfind(kHead, at), std::string::npos);
  EXPECT_GE(p.output().rfind(kHead, at), from);
  const std::string& out = p.output();
  return out.substr(at, out.find('\n', at) - at);
}

TEST(LinearTerminal, KeyPauseAndInterruptOnTwoThreads) {
  PtyProcess p(program_path("solverlinear"), {"SOLVER_ENCODING=utf-8", "SOLVER_THREADS=2"});
  ASSERT_TRUE(p.started());
  const termios before = p.attributes();
  ASSERT_NE(p.wait_for("Problem_ID"), std::string::npos);
  p.send(kDialogue);
  ASSERT_NE(p.wait_for("200\n" + kHead), std::string::npos);
  ASSERT_TRUE(p.wait_for_line_mode(false));

  // Any key: time lines and the position; the search goes on.
  std::size_t from = p.output().size();
  p.send("a");
  const std::string first = position_after(p, from);
  EXPECT_NE(first.find("), a(200)"), std::string::npos) << first;

  // "p" shows the position and waits; "r" resumes.
  from = p.output().size();
  p.send("p");
  position_after(p, from);
  ASSERT_NE(p.wait_for(kPause, from), std::string::npos);
  ASSERT_TRUE(p.wait_for_line_mode(true));
  p.send("r\n");
  ASSERT_TRUE(p.wait_for_line_mode(false));
  // The position is printed before the key is taken: give the program a
  // moment, or the next key or signal would meet the previous key.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  from = p.output().size();
  p.send("b");
  position_after(p, from);

  // Ctrl-C: time lines and the position, status 130, the terminal as it was.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  from = p.output().size();
  p.send("\x03");
  position_after(p, from);
  EXPECT_EQ(p.wait_exit(), 130);
  const std::string& out = p.output();
  EXPECT_EQ(out.substr(out.size() - 12), "[1]=s\n[2]=r\n");
  const termios after = p.attributes();
  EXPECT_EQ(after.c_lflag, before.c_lflag);
}

}  // namespace
}  // namespace solver
