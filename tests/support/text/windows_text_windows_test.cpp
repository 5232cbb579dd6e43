#include <gtest/gtest.h>

#include <string>

#include "support/text/ansi_text.h"
#include "support/text/xlocale.h"

namespace {

TEST(WideToAnsi, ConvertsAndSizes) {
  EXPECT_EQ(WideToAnsi(u"C:\\path", -1, nullptr, 0), 8);  // with the terminator
  char out[16] = {};
  EXPECT_EQ(WideToAnsi(u"C:\\path", 7, out, sizeof out), 7);
  EXPECT_EQ(std::string(out), "C:\\path");
  EXPECT_EQ(WideToAnsi(u"abcdef", 6, out, 3), 0);  // does not fit
  EXPECT_EQ(WideToAnsi(nullptr, -1, out, sizeof out), 0);
}

TEST(XLocale, PinsTheChineseLocale) {
  XLocale locale;
  EXPECT_FALSE(locale.PreviousName().empty());
  EXPECT_NE(locale.CurrentName().find("Chinese"), std::string::npos) << locale.CurrentName();
}

}  // namespace
