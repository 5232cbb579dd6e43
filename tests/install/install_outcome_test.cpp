#include <gtest/gtest.h>

#include <string>

#include "install/install_outcome.h"

namespace {

TEST(InstallOutcome, NamesTheFirstFailedFileAndWhyAndThatNothingChanged) {
  InstallOutcome outcome;
  EXPECT_FALSE(outcome.Failed());
  EXPECT_TRUE(outcome.Ran());
  outcome.Fail(u"bin\\client.exe", u"Sharing violation");
  outcome.Fail(u"data\\second.dat", u"Access denied");
  EXPECT_TRUE(outcome.Failed());
  EXPECT_TRUE(outcome.Ran());
  EXPECT_EQ(std::u16string(outcome.reason.Units()), u"Sharing violation");
  FixedWString<1024> text;
  FormatRolledBackInstall(outcome, &text);
  EXPECT_EQ(std::u16string(text.Units()),
            u"安装失败：bin\\client.exe 未能安装（Sharing violation）。\n"
            u"已撤销本次安装所做的全部更改，电脑上的内容与安装前相同。");
  InstallOutcome unusable;
  unusable.unusable = true;
  FormatRolledBackInstall(unusable, &text);
  EXPECT_EQ(std::u16string(text.Units()),
            std::u16string(kInstallUnusableText) +
                u"\n已撤销本次安装所做的全部更改，电脑上的内容与安装前相同。");
}

// A run that never began, or that a stop ended, has nothing to finish and nothing failed in it.
TEST(InstallOutcome, ARunNotStartedOrStoppedNeitherRanNorFailed) {
  for (const InstallOutcome& outcome : {InstallOutcome::NotStarted(), InstallOutcome::Stopped()}) {
    EXPECT_FALSE(outcome.Ran());
    EXPECT_FALSE(outcome.Failed());
    EXPECT_TRUE(outcome.firstFailed.Empty());
  }
  EXPECT_EQ(InstallOutcome::NotStarted().ending, InstallOutcome::Ending::kNotStarted);
  EXPECT_EQ(InstallOutcome::Stopped().ending, InstallOutcome::Ending::kStopped);
}

}  // namespace
