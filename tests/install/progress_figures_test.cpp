#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "install/install_folder.h"
#include "install/progress_figures.h"
#include "records/current_language.h"

namespace {

// The bar counts in 32 bits: beyond them, total and done are halved alike until the total fits.
TEST(ProgressFigures, PercentageNeverOverflowsAndShowsAllDoneForNothingToInstall) {
  struct Case {
    uint64_t total, done;
    const char16_t* expected;
    uint32_t barRange, barPosition;
  };
  const Case cases[] = {
      {0, 0, u"100%", 0, 0},                      // nothing to install
      {200, 1, u"0%", 200, 1},                    // rounds down
      {200, 199, u"99%", 200, 199},               // not done before the end
      {200, 200, u"100%", 200, 200},
      {4000000000u, 42949673u, u"1%", 4000000000u, 42949673u},  // done * 100 overflows 32 bits
      {4000000000u, 3999999999u, u"99%", 4000000000u, 3999999999u},
      {8589934592, 4294967296, u"50%", 2147483648u, 1073741824u},  // 8 GB, 4 GB done
      {8589934592, 9000000000, u"100%", 2147483648u, 2147483648u},  // done past the total
      {INT64_MAX, INT64_MAX - 1, u"99%", UINT32_MAX, UINT32_MAX},  // done * 100 overflows 64 bits
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.total << " " << c.done);
    ProgressFigures figures;
    figures.Take(c.total, c.done, 1);
    FixedWString<32> text;
    figures.FormatPercent(&text);
    EXPECT_EQ(std::u16string(text.Units()), c.expected);
    EXPECT_EQ(figures.BarRange(), c.barRange);
    EXPECT_EQ(figures.BarPosition(), c.barPosition);
  }
}

TEST(ProgressFigures, SpeedAndRemainingTimeChangeOncePerSecond) {
  ProgressFigures figures;
  figures.Take(1000000, 0, 10);
  figures.Take(1000000, 300000, 11);  // 300,000 bytes in the second: not slow
  EXPECT_EQ(figures.Speed(), 300000);
  EXPECT_EQ(figures.RemainingSeconds(), 2u);  // 700,000 / 300,000
  EXPECT_FALSE(figures.Slow());
  figures.Take(1000000, 310000, 11);  // same second: the figures stay
  EXPECT_EQ(figures.Speed(), 300000);
  figures.Take(1000000, 360000, 12);  // 60,000 bytes since the last second seen is slow
  EXPECT_EQ(figures.Speed(), 60000);
  EXPECT_EQ(figures.RemainingSeconds(), 10u);  // 640,000 / 60,000
  EXPECT_TRUE(figures.Slow());
  figures.Take(1000000, 360000, 13);  // a stalled second: no speed, the estimate stays
  EXPECT_EQ(figures.Speed(), 0);
  EXPECT_EQ(figures.RemainingSeconds(), 10u);
  EXPECT_FALSE(figures.Slow());
  figures.Take(8589934592, 360001, 14);  // 8 GB at a byte a second: held, never wrapped
  EXPECT_EQ(figures.RemainingSeconds(), UINT32_MAX);
}

// Chinese writes its units without a gap, as the programs always did; English with one.
TEST(ProgressFigures, DurationAndDetailInEachBuiltInLanguageNameOnlyTheUnitsThatAreNotZero) {
  struct Case {
    const char* language;
    uint32_t seconds;
    std::u16string expected;
  };
  const Case cases[] = {
      {"zh-CN", 0, u"0秒"},
      {"zh-CN", 59, u"59秒"},
      {"zh-CN", 61, u"1分1秒"},
      {"zh-CN", 3600, u"1时0秒"},
      {"zh-CN", 86400, u"1天0秒"},
      {"zh-CN", 90061, u"1天1时1分1秒"},
      {"zh-CN", 4294967295u, u"49710天6时28分15秒"},
      {"en", 0, u"0 s"},
      {"en", 61, u"1 min 1 s"},
      {"en", 86405, u"1 d 5 s"},
      {"en", 90061, u"1 d 1 h 1 min 1 s"},
  };
  const Language before = CurrentLanguage();
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.language) + " " + std::to_string(c.seconds));
    UseLanguage(std::string(c.language) == "en" ? EnglishLanguage() : ChineseLanguage());
    EXPECT_EQ(DurationText(c.seconds), c.expected);
  }

  ProgressFigures download;
  download.Take(3145728, 0, 1);
  download.Take(3145728, 1048576, 2);
  const std::pair<Language, std::u16string> details[] = {
      {ChineseLanguage(), u"总大小：3.00 MB，已下载：1.00 MB，网速：1024.00 KB/s，剩余：2秒"},
      {EnglishLanguage(),
       u"Total: 3.00 MB, downloaded: 1.00 MB, speed: 1024.00 KB/s, time left: 2 s"}};
  for (const auto& [language, expected] : details) {
    UseLanguage(language);
    FixedWString<256> detail;
    download.FormatDetail(&detail);
    EXPECT_EQ(std::u16string(detail.Units()), expected);
  }
  UseLanguage(before);
}

TEST(InstallFolder, ComposesChosenFolderCompanyAndApp) {
  struct Case {
    const char16_t* chosen;
    const char16_t* company;
    const char16_t* app;
    const char16_t* expected;
  };
  const Case cases[] = {
      {u"D:\\Games", u"c", u"a", u"D:\\Games\\c\\a\\"},
      {u"D:\\Games\\", u"c", u"a", u"D:\\Games\\c\\a\\"},
      {u"D:\\Games", u"", u"a", u"D:\\Games\\a\\"},
      {u"D:\\Games", u"c", u"", u"D:\\Games\\c\\"},
      {u"D:\\", u"", u"", u"D:\\"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::string(c.expected, c.expected + 3));
    FixedWString<1024> folder;
    ComposeInstallFolder(c.chosen, c.company, c.app, &folder);
    EXPECT_EQ(std::u16string(folder.Units()), c.expected);
  }
}

}  // namespace
