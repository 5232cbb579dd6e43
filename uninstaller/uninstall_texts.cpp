#include "uninstaller/uninstall_texts.h"

#include "support/text/utf8.h"

std::u16string UninstallQuestionText(const char16_t* name) {
  return u"您确定要完全卸载" + std::u16string(name) + u"及其所有组件吗？";
}

std::u16string NothingToUninstallText(const char16_t* name) {
  return std::u16string(name) + u"已经卸载，没有需要移除的内容。";
}

std::u16string UninstalledText(const char16_t* name) {
  return std::u16string(name) + u"已成功从您的电脑中卸载。";
}

std::u16string BusyText(const char16_t* name) {
  return u"另一个安装或更新程序正在处理" + std::u16string(name) +
         u"，或上次中断的安装未能撤销。\n请稍后再运行卸载程序。";
}

std::u16string DamagedListText(const char16_t* name) {
  return u"卸载信息文件 uninst.dat 已损坏，无法确定" + std::u16string(name) +
         u"安装了哪些文件。为避免误删，本次未删除任何文件，注册信息也已保留。";
}

namespace {

// The first kNamedEntries of left, a line each, and an ellipsis for the rest.
std::u16string NamedLines(const std::vector<std::u16string>& left) {
  std::u16string text;
  for (size_t i = 0; i < left.size() && i < kNamedEntries; ++i) text += left[i] + u"\n";
  if (left.size() > kNamedEntries) text += u"……\n";
  return text;
}

std::u16string Count(const std::vector<std::u16string>& left) {
  return Utf8ToUtf16(std::to_string(left.size()));
}

}  // namespace

std::u16string EntriesLeftText(const std::vector<std::u16string>& left) {
  return u"注意：有" + Count(left) + u"个项目未能删除：\n" + NamedLines(left) +
         u"请关闭正在使用这些文件的程序后重新运行卸载程序。";
}

std::u16string RegistrationLeftText(const std::vector<std::u16string>& left) {
  return u"注意：有" + Count(left) + u"项快捷方式或注册信息未能删除：\n" + NamedLines(left) +
         u"程序文件已删除。请稍后重新运行卸载程序，以完成卸载。";
}
