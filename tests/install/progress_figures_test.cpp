#include <gtest/gtest.h>

#include <string>

#include "install/install_folder.h"
#include "install/progress_figures.h"

namespace {

std::u16string Percent(uint32_t total, uint32_t done) {
  ProgressFigures figures;
  figures.Take(total, done, 1);
  FixedWString<32> text;
  figures.FormatPercent(&text);
  return text.Units();
}

TEST(ProgressFigures, PercentageNeverOverflowsAndShowsAllDoneForNothingToInstall) {
  struct Case {
    uint32_t total, done;
    const char16_t* expected;
  };
  const Case cases[] = {
      {0, 0, u"100%"},                            // nothing to install
      {200, 1, u"0%"},                            // rounds down
      {200, 199, u"99%"},                         // not done before the end
      {200, 200, u"100%"},
      {4000000000u, 42949673u, u"1%"},            // done * 100 overflows 32 bits
      {4000000000u, 3999999999u, u"99%"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.total << " " << c.done);
    EXPECT_EQ(Percent(c.total, c.done), c.expected);
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

  ProgressFigures download;
  download.Take(3145728, 0, 1);
  download.Take(3145728, 1048576, 2);
  FixedWString<256> detail;
  download.FormatDetail(&detail);
  EXPECT_EQ(std::u16string(detail.Units()),
            u"总大小：3.00 MB，已下载：1.00 MB，网速：1024.00 KB/s，剩余：2秒");
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
