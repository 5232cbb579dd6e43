#include "updater/update_texts.h"

#include "install/install_outcome.h"

std::u16string NotInstalledText(const char16_t* name) {
  return u"您的电脑里没有安装" + std::u16string(name) + u"，无法更新。\n请先运行安装程序。";
}

std::u16string NoUpdateListText(const char16_t* name) {
  return u"无法获取" + std::u16string(name) +
         u"的更新信息：无法连接到服务器或更新列表已损坏。\n请稍后再试。";
}

std::u16string ListNotTrustedText(const char16_t* name) {
  return u"无法更新" + std::u16string(name) +
         u"：服务器上的更新列表未通过签名验证，可能已被篡改。\n未作任何更改。";
}

std::u16string OlderListText(const char16_t* name, const char16_t* listVersion,
                             const char16_t* installedVersion) {
  return u"无法更新" + std::u16string(name) + u"：服务器上的更新列表（版本 " +
         std::u16string(listVersion) + u"）比已安装的版本（" + std::u16string(installedVersion) +
         u"）旧，可能是被重新发布的旧列表。\n未作任何更改。";
}

std::u16string UnversionedListText(const char16_t* name, const char16_t* installedVersion) {
  return u"无法更新" + std::u16string(name) +
         u"：服务器上的更新列表没有标明版本，无法与已安装的版本（" +
         std::u16string(installedVersion) + u"）比较。\n未作任何更改。";
}

std::u16string UpdateQuestionText(const char16_t* name, const char16_t* version) {
  std::u16string shown = version[0] != 0 ? u"（" + std::u16string(version) + u"）" : u"";
  return u"发现" + std::u16string(name) + u"的新版本" + shown + u"，是否现在更新？";
}

std::u16string UpToDateText(const char16_t* name) {
  return std::u16string(name) + u"已是最新版本。";
}

std::u16string UpdatedText(const char16_t* name) {
  return std::u16string(name) + u"已更新到最新版本。";
}

std::u16string UpdateFailedText(const InstallOutcome& outcome, const RollbackResult& undone) {
  std::u16string text = u"更新失败：" + std::u16string(outcome.firstFailed.Units()) + u" 未能更新";
  if (!outcome.reason.Empty()) text += u"（" + std::u16string(outcome.reason.Units()) + u"）";
  if (undone.Whole()) {
    return text + u"。\n已撤销本次更新，软件保持原来的版本。请关闭正在使用这些文件的程序后重新运行"
                  u"更新程序。";
  }
  text += u"。\n本次更新所做的更改未能全部撤销。请关闭正在使用这些文件的程序后重新运行更新程序，"
          u"以完成撤销。以下内容仍留在电脑上：";
  for (const std::u16string& path : undone.left) text += u"\n" + path;
  return text;
}

std::u16string BusyText(const char16_t* name) {
  return u"另一个安装或更新程序正在处理" + std::u16string(name) +
         u"，或上次中断的安装未能撤销。\n请稍后再试。";
}
