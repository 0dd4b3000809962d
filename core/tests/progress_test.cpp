#include "progress.hpp"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

#include "console_harness.hpp"
#include "input.hpp"

namespace solver {
namespace {

using testing::ConsoleHarness;

class Progress : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    g.mapname = "0001";
    lim.msteps = 100;
    lim.mlastfail = 50;
    lim.bytes = 14;
    lim.templatebytes = 6;
  }
  Grid g;
  Limits lim;
};

TEST_F(Progress, AsctimeForm) {
  EXPECT_EQ(asctime_line(1796744613), "Tue Dec  8 15:43:33 2026\n");
  EXPECT_EQ(asctime_line(0), "Thu Jan  1 00:00:00 1970\n");
  EXPECT_EQ(asctime_line(1796744613 + 86400 * 5), "Sun Dec 13 15:43:33 2026\n");
}

TEST_F(Progress, PrinttimeAddsTheTemplateBytesBack) {
  ConsoleHarness h;
  printtime(h.c, g, lim);
  EXPECT_EQ(h.out.str(), "0001,100msteps,50mlastfail,20bytes\nTue Dec  8 15:43:33 2026\n");
  lim.bytes = 3;
  lim.templatebytes = 5;
  ConsoleHarness h2;
  printtime(h2.c, g, lim);
  EXPECT_EQ(h2.out.str().substr(0, h2.out.str().find('\n')), "0001,100msteps,50mlastfail,8bytes");
}

TEST_F(Progress, MessageIsFollowedByABlankLine) {
  ConsoleHarness h;
  message(h.c);
  EXPECT_EQ(h.out.str(), "何かキーを押すと検索位置を出力します．pを押すと中断します．\n\n");
}

TEST_F(Progress, PauseResumesOnRAndIgnoresOtherLetters) {
  ConsoleHarness h("x\nabr\nq\n");
  pause(h.c, kInputErrorLine);
  EXPECT_EQ(h.out.str(), "r：再開，q:終了\n");
  EXPECT_EQ(h.rest(), "\nq\n");  // what follows "r" stays in the input
}

TEST_F(Progress, PauseQuitsWithStatusZero) {
  ConsoleHarness h("  \n q\n");
  try {
    pause(h.c, kInputErrorLine);
    FAIL();
  } catch (const ProgramExit& e) {
    EXPECT_EQ(e.status, 0);
  }
  EXPECT_EQ(h.out.str(), "r：再開，q:終了\n");
}

TEST_F(Progress, PauseEndsWhenInputEnds) {
  ConsoleHarness h("x y\n");
  EXPECT_THROW(pause(h.c, kInputErrorLine), InputEnded);
  EXPECT_EQ(h.out.str(), "r：再開，q:終了\n");
}

TEST_F(Progress, KeyShowsThePositionAndTheHint) {
  ConsoleHarness h;
  h.keys.inject('a');
  ASSERT_TRUE(key_waiting(h.c));
  on_key(
      h.c, g, lim, [&] { h.c.ascii("POSITION\n"); }, kInputErrorLine, true);
  EXPECT_FALSE(key_waiting(h.c));
  EXPECT_EQ(h.out.str(),
            "0001,100msteps,50mlastfail,20bytes\nTue Dec  8 15:43:33 2026\nPOSITION\n"
            "何かキーを押すと検索位置を出力します．pを押すと中断します．\n\n");
}

TEST_F(Progress, KeyPPausesBeforeTheHint) {
  ConsoleHarness h("x\nr\n");
  h.keys.inject('p');
  on_key(
      h.c, g, lim, [&] { h.c.ascii("POSITION\n"); }, kInputErrorLine, false);
  EXPECT_EQ(h.out.str(),
            "0001,100msteps,50mlastfail,20bytes\nTue Dec  8 15:43:33 2026\nPOSITION\n"
            "r：再開，q:終了\n");
  ConsoleHarness upper("");
  upper.keys.inject('P');  // not "p": no pause
  on_key(
      upper.c, g, lim, [] {}, kInputErrorLine, false);
}

TEST_F(Progress, InterruptShowsThePositionAndEndsWith128PlusSignal) {
  for (const int sig : {SIGINT, SIGTERM}) {
    ConsoleHarness h("r\n");
    h.keys.start();
    ASSERT_TRUE(h.keys.deliver_signal(sig));
    ASSERT_TRUE(key_waiting(h.c));
    try {
      on_key(
          h.c, g, lim, [&] { h.c.ascii("POSITION\n"); }, kInputErrorLine, true);
      FAIL();
    } catch (const ProgramExit& e) {
      EXPECT_EQ(e.status, 128 + sig);
    }
    h.keys.stop();
    EXPECT_EQ(h.out.str(),
              "0001,100msteps,50mlastfail,20bytes\nTue Dec  8 15:43:33 2026\nPOSITION\n");
  }
}

TEST_F(Progress, SecondSignalBeforeTheSearchReactsIsNotTaken) {
  ConsoleHarness h;
  h.keys.inject('a');
  EXPECT_TRUE(h.keys.deliver_signal(SIGINT));  // replaces the waiting key
  EXPECT_FALSE(h.keys.deliver_signal(SIGINT));
  EXPECT_EQ(Keyboard::interrupt_signal(h.keys.getch()), SIGINT);
}

TEST_F(Progress, ClearReportEndsWithStatusZero) {
  ConsoleHarness h;
  try {
    report_clear(h.c, g, lim, 4, [&] { h.c.ascii("SOLUTION\n"); });
    FAIL();
  } catch (const ProgramExit& e) {
    EXPECT_EQ(e.status, 0);
  }
  EXPECT_EQ(h.out.str(),
            "0001,100msteps,50mlastfail,20bytes\nTue Dec  8 15:43:33 2026\nSOLUTION\n"
            "4steps!! clear!!\n");
}

}  // namespace
}  // namespace solver
