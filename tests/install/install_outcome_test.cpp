#include <gtest/gtest.h>

#include <string>

#include "install/install_outcome.h"

namespace {

TEST(InstallOutcome, NamesTheFirstFailedFileAndWhyAndThatNothingChanged) {
  InstallOutcome outcome;
  EXPECT_FALSE(outcome.Failed());
  outcome.Fail(u"bin\\client.exe", u"Sharing violation");
  outcome.Fail(u"data\\second.dat", u"Access denied");
  EXPECT_TRUE(outcome.Failed());
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

}  // namespace
