#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install/install_outcome.h"
#include "tests/helpers/held_language.h"

namespace {

// The message names the first failed file and why (or that no usable client was left), and
// that nothing changed, or, when the undo left anything, what to do and each path left.
TEST(InstallOutcome, NamesTheFirstFailedFileAndWhyAndWhatTheUndoLeft) {
  const HeldLanguage chinese(ChineseLanguage());  // its texts as they have always been
  InstallOutcome held;
  EXPECT_FALSE(held.Failed());
  EXPECT_TRUE(held.Ran());
  held.Fail(u"bin\\client.exe", u"Sharing violation");
  held.Fail(u"data\\second.dat", u"Access denied");
  EXPECT_TRUE(held.Failed());
  EXPECT_TRUE(held.Ran());
  EXPECT_EQ(std::u16string(held.reason.Units()), u"Sharing violation");
  InstallOutcome unusable;
  unusable.unusable = true;
  const std::u16string heldLine = u"安装失败：bin\\client.exe 未能安装（Sharing violation）。";
  const std::u16string unusableLine =
      u"安装失败：客户端文件未能安装，软件无法使用！\n请到官网下载最新的安装包后重新安装。";
  const std::u16string undone = u"\n已撤销本次安装所做的全部更改，电脑上的内容与安装前相同。";
  const std::u16string notUndone =
      u"\n本次安装所做的更改未能全部撤销。请关闭正在使用这些文件的程序后重新运行安装程序，以完成撤销。"
      u"以下内容仍留在电脑上：";
  struct Case {
    const char* label;
    const InstallOutcome& outcome;
    std::vector<std::u16string> left;
    std::u16string text;
  };
  const Case cases[] = {
      {"a held file, undone", held, {}, heldLine + undone},
      {"no usable client, undone", unusable, {}, unusableLine + undone},
      {"a held file, two paths left", held, {u"C:\\App\\client.exe", u"HKLM\\Software\\App\\v"},
       heldLine + notUndone + u"\nC:\\App\\client.exe\nHKLM\\Software\\App\\v"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    FixedWString<1024> text;
    FormatRolledBackInstall(c.outcome, RollbackResult{c.left}, &text);
    EXPECT_EQ(std::u16string(text.Units()), c.text);
  }
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
