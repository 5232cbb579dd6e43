#include <gtest/gtest.h>

#include <string>

#include "install/install_outcome.h"

namespace {

TEST(InstallOutcome, NamesTheCountAndTheFirstFailedFile) {
  InstallOutcome outcome;
  EXPECT_FALSE(outcome.Failed());
  outcome.Fail(u"bin\\client.exe");
  outcome.Fail(u"data\\second.dat");
  EXPECT_TRUE(outcome.Failed());
  FixedWString<1024> text;
  FormatInstallFailure(outcome, &text);
  EXPECT_EQ(std::u16string(text.Units()),
            u"注意：有2个文件未能安装，软件可能无法正常使用！\n第一个是：bin\\client.exe\n"
            u"请关闭正在使用这些文件的程序后重新安装。");
}

}  // namespace
