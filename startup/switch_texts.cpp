#include "startup/switch_texts.h"

#include "records/current_language.h"
#include "startup/command_line.h"

namespace {

struct SwitchLine {
  Switch which;
  TextKey line;
};

constexpr SwitchLine kSwitchLines[] = {
    {kSwitchSilent, TextKey::kSwitchSilent},       {kSwitchVerySilent, TextKey::kSwitchVerySilent},
    {kSwitchFolder, TextKey::kSwitchFolder},       {kSwitchLog, TextKey::kSwitchLog},
    {kSwitchNoIcons, TextKey::kSwitchNoIcons},     {kSwitchNoCancel, TextKey::kSwitchNoCancel},
    {kSwitchNoRestart, TextKey::kSwitchNoRestart}, {kSwitchHelp, TextKey::kSwitchHelp},
};

}  // namespace

std::u16string SwitchHelpText(unsigned accepted) {
  std::u16string text = Text(TextKey::kSwitchesTitle);
  for (const SwitchLine& switchLine : kSwitchLines) {
    if ((accepted & switchLine.which) != 0) text += u"\n" + Text(switchLine.line);
  }
  if ((accepted & kSwitchLanguage) != 0) text += u"\n" + Text(TextKey::kSwitchLanguageHelp);
  return text;
}

std::u16string RefusedSwitchText(const std::u16string& refused, unsigned accepted) {
  return Text(TextKey::kSwitchRefused, {{u"switch", refused}}) + u"\n\n" + SwitchHelpText(accepted);
}
