#include <gtest/gtest.h>

#include <sstream>

#include "console.hpp"
#include "console_harness.hpp"
#include "input.hpp"

namespace solver {
namespace {

TEST(Encoding, EnvironmentDecidesWhateverTheTerminal) {
  std::ostringstream err;
  EXPECT_EQ(choose_encoding("cp932", true, "UTF-8", err), Encoding::Cp932);
  EXPECT_EQ(choose_encoding("SJIS", true, "UTF-8", err), Encoding::Cp932);
  EXPECT_EQ(choose_encoding("Shift_JIS", true, "UTF-8", err), Encoding::Cp932);
  EXPECT_EQ(choose_encoding("UTF-8", false, "ANSI_X3.4-1968", err), Encoding::Utf8);
  EXPECT_EQ(choose_encoding("utf-8", false, "", err), Encoding::Utf8);
  EXPECT_TRUE(err.str().empty());
}

TEST(Encoding, UnsetMeansUtf8OnlyOnAUtf8Terminal) {
  std::ostringstream err;
  EXPECT_EQ(choose_encoding(nullptr, true, "UTF-8", err), Encoding::Utf8);
  EXPECT_EQ(choose_encoding(nullptr, true, "ANSI_X3.4-1968", err), Encoding::Cp932);
  EXPECT_EQ(choose_encoding(nullptr, false, "UTF-8", err), Encoding::Cp932);
  EXPECT_EQ(choose_encoding("", false, "UTF-8", err), Encoding::Cp932);
  EXPECT_TRUE(err.str().empty());
}

TEST(Encoding, UnknownValueIsReportedOnceAndIgnored) {
  std::ostringstream err;
  EXPECT_EQ(choose_encoding("latin1", true, "UTF-8", err), Encoding::Utf8);
  EXPECT_EQ(choose_encoding("latin1", false, "UTF-8", err), Encoding::Cp932);
  const std::string e = err.str();
  EXPECT_NE(e.find("latin1"), std::string::npos);
  EXPECT_EQ(std::count(e.begin(), e.end(), '\n'), 2);  // one line per decision
}

TEST(Encoding, Cp932BytesOfTheInputErrorLine) {
  const std::string bytes = encode(kInputErrorLine, Encoding::Cp932);
  EXPECT_EQ(bytes,
            "\x93\xFC\x97\xCD\x82\xC9\x8C\xEB\x82\xE8\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB7");
}

TEST(Encoding, Cp932FullWidthPunctuationAndAscii) {
  // r：再開，q:終了  -- full-width colon and comma, then an ASCII colon.
  EXPECT_EQ(encode(u8"r：再開，q:終了", Encoding::Cp932),
            "r\x81\x46\x8D\xC4\x8A\x4A\x81\x43q:\x8F\x49\x97\xB9");
  EXPECT_EQ(encode(u8"．", Encoding::Cp932), "\x81\x44");
  EXPECT_EQ(encode(u8"このsolver", Encoding::Cp932), "\x82\xB1\x82\xCCsolver");
}

TEST(Encoding, Utf8IsPassedThrough) {
  EXPECT_EQ(encode(u8"入力エラー", Encoding::Utf8), "入力エラー");
}

TEST(Console, LineWritesEncodedTextAndALineEnd) {
  testing::ConsoleHarness h("", Encoding::Cp932);
  h.c.line(u8"入力エラー");
  EXPECT_EQ(h.out.str(), encode(u8"入力エラー", Encoding::Cp932) + "\n");
}

}  // namespace
}  // namespace solver
