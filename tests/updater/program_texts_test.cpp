#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install/install_outcome.h"
#include "records/current_language.h"
#include "uninstaller/uninstall_texts.h"
#include "updater/update_texts.h"

namespace {

InstallOutcome FailedOn(const char16_t* file, const char16_t* reason) {
  InstallOutcome outcome;
  outcome.Fail(file, reason);
  return outcome;
}

// The uninstaller's and the updater's messages are whole sentences with their parts filled in:
// the Chinese exactly as the programs always showed them, the English written for itself.
TEST(ProgramTexts, UninstallerAndUpdaterFillTheirPartsInChineseAsBeforeAndInEnglish) {
  std::vector<std::u16string> eleven;
  for (int i = 0; i < 11; ++i) eleven.push_back(u"f" + std::u16string(1, u'a' + i));
  const std::u16string ten = u"fa\nfb\nfc\nfd\nfe\nff\nfg\nfh\nfi\nfj\n";
  const InstallOutcome held = FailedOn(u"a.dll", u"busy");
  const InstallOutcome plain = FailedOn(u"a.dll", u"");
  struct Case {
    const char* label;
    std::u16string (*shown)(const std::vector<std::u16string>& eleven, const InstallOutcome& held,
                            const InstallOutcome& plain);
    std::u16string chinese;
    std::u16string english;
  };
  const Case cases[] = {
      {"uninstall question",
       [](auto&, auto&, auto&) { return UninstallQuestionText(u"Demo"); },
       u"您确定要完全卸载Demo及其所有组件吗？",
       u"Are you sure you want to completely remove Demo and all of its components?"},
      {"entries left, a long list",
       [](auto& left, auto&, auto&) { return EntriesLeftText(left); },
       u"注意：有11个项目未能删除：\n" + ten + u"……\n请关闭正在使用这些文件的程序后重新运行卸载程序。",
       u"Note: the following items could not be deleted (11 in all):\n" + ten +
           u"...\nClose the programs that use these files, then run the uninstaller again."},
      {"registration left",
       [](auto&, auto&, auto&) { return RegistrationLeftText({u"HKLM\\k"}); },
       u"注意：有1项快捷方式或注册信息未能删除：\nHKLM\\k\n程序文件已删除。请稍后重新运行卸载程序，以"
       u"完成卸载。",
       u"Note: the following shortcuts or registry entries could not be removed (1 in all):\n"
       u"HKLM\\k\nThe program files were deleted. Run the uninstaller again later to finish "
       u"uninstalling."},
      {"update question, a version",
       [](auto&, auto&, auto&) { return UpdateQuestionText(u"Demo", u"2.0"); },
       u"发现Demo的新版本（2.0），是否现在更新？", u"A new version of Demo (2.0) is available. Update now?"},
      {"update question, no version",
       [](auto&, auto&, auto&) { return UpdateQuestionText(u"Demo", u""); },
       u"发现Demo的新版本，是否现在更新？", u"A new version of Demo is available. Update now?"},
      {"an older list",
       [](auto&, auto&, auto&) { return OlderListText(u"Demo", u"1.0", u"2.0"); },
       u"无法更新Demo：服务器上的更新列表（版本 1.0）比已安装的版本（2.0）旧，可能是被重新发布的旧列表。"
       u"\n未作任何更改。",
       u"Could not update Demo: the update list on the server (version 1.0) is older than the "
       u"installed version (2.0) and may be an old list published again.\nNothing was changed."},
      {"up to date", [](auto&, auto&, auto&) { return UpToDateText(u"Demo"); },
       u"Demo已是最新版本。", u"Demo is up to date."},
      {"update failed with a reason, paths left",
       [](auto&, auto& outcome, auto&) {
         return UpdateFailedText(outcome, RollbackResult{{u"C:\\x", u"C:\\y"}});
       },
       u"更新失败：a.dll 未能更新（busy）。\n本次更新所做的更改未能全部撤销。请关闭正在使用这些文件的程"
       u"序后重新运行更新程序，以完成撤销。以下内容仍留在电脑上：\nC:\\x\nC:\\y",
       u"Update failed: a.dll could not be updated (busy).\nNot every change the update made could "
       u"be undone. Close the programs that use these files and run the updater again to finish "
       u"undoing it. These items are still on the computer:\nC:\\x\nC:\\y"},
      {"update failed, undone",
       [](auto&, auto&, auto& outcome) { return UpdateFailedText(outcome, RollbackResult{}); },
       u"更新失败：a.dll 未能更新。\n已撤销本次更新，软件保持原来的版本。请关闭正在使用这些文件的程序后"
       u"重新运行更新程序。",
       u"Update failed: a.dll could not be updated.\nThe update was undone and the software keeps "
       u"its previous version. Close the programs that use these files, then run the updater "
       u"again."},
  };
  const Language before = CurrentLanguage();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    UseLanguage(ChineseLanguage());
    EXPECT_EQ(c.shown(eleven, held, plain), c.chinese);
    UseLanguage(EnglishLanguage());
    EXPECT_EQ(c.shown(eleven, held, plain), c.english);
  }
  UseLanguage(before);
}

}  // namespace
