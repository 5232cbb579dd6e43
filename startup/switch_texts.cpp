#include "startup/switch_texts.h"

#include "records/current_language.h"
#include "startup/command_line.h"

namespace {

struct SwitchLine {
  Switch which;
  const char16_t* line;
};

constexpr SwitchLine kSwitchLines[] = {
    {kSwitchSilent, u"/SILENT 或 silent：不提问，自动完成"},
    {kSwitchVerySilent, u"/VERYSILENT：不提问，也不显示任何窗口"},
    {kSwitchFolder, u"/DIR=\"文件夹\"：安装到该文件夹"},
    {kSwitchLog, u"/LOG=\"文件\"：把运行日志写到该文件"},
    {kSwitchNoIcons, u"/NOICONS：不创建桌面快捷方式"},
    {kSwitchNoCancel, u"/NOCANCEL：安装过程中不能取消"},
    {kSwitchNoRestart, u"/NORESTART：不重新启动计算机（本程序从不重新启动计算机）"},
    {kSwitchHelp, u"/? 或 /HELP：显示本说明"},
};

}  // namespace

std::u16string SwitchHelpText(unsigned accepted) {
  std::u16string text = Text(TextKey::kSwitchesTitle);
  for (const SwitchLine& switchLine : kSwitchLines) {
    if ((accepted & switchLine.which) != 0) text += u"\n" + std::u16string(switchLine.line);
  }
  if ((accepted & kSwitchLanguage) != 0) text += u"\n" + Text(TextKey::kSwitchLanguageHelp);
  return text;
}

std::u16string RefusedSwitchText(const std::u16string& refused, unsigned accepted) {
  return Text(TextKey::kSwitchRefused, {{u"switch", refused}}) + u"\n\n" + SwitchHelpText(accepted);
}
