#include "startup/command_line.h"

#include <string_view>

namespace {

struct SwitchName {
  std::u16string_view name;  // upper case, as documented
  Switch which;
  bool takesValue;  // NAME=VALUE
};

// "silent" is the word the programs took before the switches: /SILENT means the same.
constexpr SwitchName kSwitchNames[] = {
    {u"SILENT", kSwitchSilent, false},
    {u"/SILENT", kSwitchSilent, false},
    {u"/VERYSILENT", kSwitchVerySilent, false},
    {u"/LOG", kSwitchLog, true},
    {u"/DIR", kSwitchFolder, true},
    {u"/NOICONS", kSwitchNoIcons, false},
    {u"/NOCANCEL", kSwitchNoCancel, false},
    {u"/NORESTART", kSwitchNoRestart, false},
    {u"/?", kSwitchHelp, false},
    {u"/HELP", kSwitchHelp, false},
    {u"/LANG", kSwitchLanguage, true},
};

bool IsBlank(char16_t unit) { return unit == u' ' || unit == u'\t'; }

char16_t Upper(char16_t unit) { return unit >= u'a' && unit <= u'z' ? unit - u'a' + u'A' : unit; }

bool SameName(std::u16string_view given, std::u16string_view name) {
  if (given.size() != name.size()) return false;
  for (size_t i = 0; i < given.size(); ++i) {
    if (Upper(given[i]) != name[i]) return false;
  }
  return true;
}

// One argument from text at *at, which stands on its first unit; *at ends after it.
std::u16string ReadArgument(std::u16string_view text, size_t* at) {
  std::u16string argument;
  bool quoted = false;
  size_t i = *at;
  while (i < text.size() && (quoted || !IsBlank(text[i]))) {
    size_t backslashes = 0;
    while (i < text.size() && text[i] == u'\\') {
      ++backslashes;
      ++i;
    }
    if (i < text.size() && text[i] == u'"') {
      argument.append(backslashes / 2, u'\\');
      if (backslashes % 2 == 1) {
        argument += u'"';
      } else if (quoted && i + 1 < text.size() && text[i + 1] == u'"') {
        // Two quotes inside quotes are one quote.
        argument += u'"';
        ++i;
      } else {
        quoted = !quoted;
      }
      ++i;
    } else {
      argument.append(backslashes, u'\\');
      if (i < text.size() && (quoted || !IsBlank(text[i]))) argument += text[i++];
    }
  }
  *at = i;
  return argument;
}

}  // namespace

std::vector<std::u16string> SplitCommandLine(const char16_t* commandLine) {
  const std::u16string_view text = commandLine != nullptr ? commandLine : u"";
  std::vector<std::u16string> arguments;
  // The program's name knows no backslash rule: a path may end in one.
  size_t i = 0;
  if (!text.empty() && text[0] == u'"') {
    const size_t end = text.find(u'"', 1);
    arguments.emplace_back(text.substr(1, end == std::u16string_view::npos ? end : end - 1));
    i = end == std::u16string_view::npos ? text.size() : end + 1;
  } else {
    while (i < text.size() && !IsBlank(text[i])) ++i;
    arguments.emplace_back(text.substr(0, i));
  }
  for (;;) {
    while (i < text.size() && IsBlank(text[i])) ++i;
    if (i == text.size()) break;
    arguments.push_back(ReadArgument(text, &i));
  }
  return arguments;
}

RunSwitches ReadSwitches(const std::vector<std::u16string>& arguments, unsigned accepted) {
  RunSwitches switches;
  for (size_t i = 1; i < arguments.size(); ++i) {
    const std::u16string_view argument = arguments[i];
    const size_t equals = argument.find(u'=');
    const std::u16string_view name = argument.substr(0, equals);
    const SwitchName* found = nullptr;
    for (const SwitchName& known : kSwitchNames) {
      if ((accepted & known.which) != 0 && SameName(name, known.name)) found = &known;
    }
    const bool hasValue = equals != std::u16string_view::npos;
    const std::u16string_view value = hasValue ? argument.substr(equals + 1) : u"";
    const bool repeatedValue = found != nullptr && found->takesValue && switches.Has(found->which);
    if (found == nullptr || found->takesValue != hasValue || (hasValue && value.empty()) ||
        repeatedValue) {
      if (switches.refused.empty()) switches.refused = arguments[i];
      continue;
    }
    switches.given |= found->which;
    if (found->which == kSwitchFolder) switches.folder = value;
    if (found->which == kSwitchLog) switches.log = value;
    if (found->which == kSwitchLanguage) switches.language = value;
  }
  return switches;
}
