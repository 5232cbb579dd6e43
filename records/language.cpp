#include "records/language.h"

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

bool SameCode(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Lower(a[i]) != Lower(b[i])) return false;
  }
  return true;
}

const Language* Match(const std::vector<Language>& languages, std::string_view wanted) {
  if (wanted.empty()) return nullptr;
  for (const Language& language : languages) {
    if (SameCode(language.code, wanted)) return &language;
  }
  for (const Language& language : languages) {
    if (SameCode(Primary(language.code), Primary(wanted))) return &language;
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
                               std::string_view userLocale, std::string_view vendorDefault) {
  for (std::string_view wanted : {asked, userLocale, vendorDefault}) {
    if (const Language* found = Match(languages, wanted)) return *found;
  }
  return languages.front();
}
