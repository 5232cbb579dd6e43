#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "records/text_key.h"

// A language the programs speak: its code ("zh-CN", "en", "de-AT") and one text per TextKey.
struct Language {
  std::string code;
  std::vector<std::u16string> texts;  // kTextKeyCount of them, in TextKey order
};

// A row of the language table: the key's name in a language file ("switches.title") and its
// built-in texts. The Chinese text names every part the key's text may hold ("{name}").
struct TextRow {
  const char* name;
  const char16_t* chinese;
  const char16_t* english;
};

const TextRow& RowOfText(TextKey key);
// The key whose name is name; false when no key has it.
bool FindTextKey(std::string_view name, TextKey& key);

// The built-in languages: Chinese ("zh-CN"), which the programs spoke before there were others,
// and English ("en").
Language ChineseLanguage();
Language EnglishLanguage();

// Which of ChooseLanguage's inputs chose the language: the fallback when none did.
enum class LanguageSource { kAsked, kUserLocale, kVendorDefault, kFallback };

// The language a run speaks, of languages (which must not be empty; earlier ones win a tie):
// asked (the /LANG= switch), then the user's UI language (userLocale, "de-AT"), then the vendor's
// default, each matched first whole and then by its primary part ("de"), without regard to case;
// the first of languages when none matches. source, when given, says which chose it.
const Language& ChooseLanguage(const std::vector<Language>& languages, std::string_view asked,
                               std::string_view userLocale, std::string_view vendorDefault,
                               LanguageSource* source = nullptr);
// Whether two language codes are the same, without regard to case.
bool SameLanguageCode(std::string_view a, std::string_view b);
