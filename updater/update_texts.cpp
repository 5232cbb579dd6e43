#include "updater/update_texts.h"

#include "install/install_outcome.h"
#include "support/utf8.h"

std::u16string NotInstalledText(const char16_t* name) {
  return u"您的电脑里没有安装" + std::u16string(name) + u"，无法更新。\n请先运行安装程序。";
}

std::u16string NoUpdateListText(const char16_t* name) {
  return u"无法获取" + std::u16string(name) +
         u"的更新信息：无法连接到服务器或更新列表已损坏。\n请稍后再试。";
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

std::u16string UpdateFailedText(const InstallOutcome& outcome) {
  return u"注意：有" + Utf8ToUtf16(std::to_string(outcome.failed)) +
         u"个文件未能更新，软件可能无法正常使用！\n第一个是：" + outcome.firstFailed.Units() +
         u"\n请关闭正在使用这些文件的程序后重新运行更新程序。";
}
