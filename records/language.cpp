#include "records/language.h"

#include <utility>

#include "records/text_table.h"

namespace {

Language BuiltIn(const char* code, const char16_t* TextRow::*text) {
  Language language{code, {}};
  language.texts.reserve(kTextKeyCount);
  for (const TextRow& row : kTextTable) language.texts.emplace_back(row.*text);
  return language;
}

// The code's primary part: "de" of "de-AT".
std::string_view Primary(std::string_view code) { return code.substr(0, code.find('-')); }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

const Language* Match(const std::vector<Language>& languages, std::string_view wanted) {
  if (wanted.empty()) return nullptr;
  for (const Language& language : languages) {
    if (SameLanguageCode(language.code, wanted)) return &language;
  }
  for (const Language& language : languages) {
    if (SameLanguageCode(Primary(language.code), Primary(wanted))) return &language;
  }
  return nullptr;
}

}  // namespace

const TextRow& RowOfText(TextKey key) { return kTextTable[static_cast<int>(key)]; }

bool FindTextKey(std::string_view name, TextKey& key) {
  for (int i = 0; i < kTextKeyCount; ++i) {
    if (name == kTextTable[i].name) {
      key = static_cast<TextKey>(i);
      return true;
    }
  }
  return false;
}

Language ChineseLanguage() { return BuiltIn("zh-CN", &TextRow::chinese); }

Language EnglishLanguage() { return BuiltIn("en", &TextRow::english); }

const Language& ChooseLanguage(const std::vector<Language>& languages, std::string_view asked,
                               std::string_view userLocale, std::string_view vendorDefault,
                               LanguageSource* source) {
  LanguageSource unused;
  LanguageSource& chosenBy = source != nullptr ? *source : unused;
  const std::pair<std::string_view, LanguageSource> inputs[] = {
      {asked, LanguageSource::kAsked},
      {userLocale, LanguageSource::kUserLocale},
      {vendorDefault, LanguageSource::kVendorDefault}};
  for (const auto& [wanted, input] : inputs) {
    chosenBy = input;
    if (const Language* found = Match(languages, wanted)) return *found;
  }
  chosenBy = LanguageSource::kFallback;
  return languages.front();
}

bool SameLanguageCode(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}
