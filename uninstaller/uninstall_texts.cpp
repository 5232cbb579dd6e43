#include "uninstaller/uninstall_texts.h"

#include "records/current_language.h"
#include "support/text/utf8.h"

std::u16string UninstallQuestionText(const char16_t* name) {
  return Text(TextKey::kUninstallQuestion, {{u"name", name}});
}

std::u16string NothingToUninstallText(const char16_t* name) {
  return Text(TextKey::kNothingToUninstall, {{u"name", name}});
}

std::u16string UninstalledText(const char16_t* name) {
  return Text(TextKey::kUninstalled, {{u"name", name}});
}

std::u16string UninstallBusyText(const char16_t* name) {
  return Text(TextKey::kUninstallBusy, {{u"name", name}});
}

std::u16string DamagedListText(const char16_t* name) {
  return Text(TextKey::kUninstallListDamaged, {{u"name", name}});
}

namespace {

// What is left, counted, with the first kNamedEntries of left a line each and a line that stands
// for the rest.
std::u16string LeftText(TextKey key, const std::vector<std::u16string>& left) {
  std::u16string lines;
  for (size_t i = 0; i < left.size() && i < kNamedEntries; ++i) lines += left[i] + u"\n";
  if (left.size() > kNamedEntries) lines += Text(TextKey::kMoreEntries) + u"\n";
  return Text(key, {{u"count", Utf8ToUtf16(std::to_string(left.size()))}, {u"list", lines}});
}

}  // namespace

std::u16string EntriesLeftText(const std::vector<std::u16string>& left) {
  return LeftText(TextKey::kEntriesLeft, left);
}

std::u16string RegistrationLeftText(const std::vector<std::u16string>& left) {
  return LeftText(TextKey::kRegistrationLeft, left);
}
