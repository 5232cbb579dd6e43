#include "startup/run_language.h"

#include "records/carried_languages.h"
#include "support/text/utf8.h"

std::vector<Language> AvailableLanguages(std::vector<Language> vendors) {
  std::vector<Language> languages = {ChineseLanguage(), EnglishLanguage()};
  for (Language& vendor : vendors) {
    Language* same = nullptr;
    for (Language& language : languages) {
      if (SameLanguageCode(language.code, vendor.code)) same = &language;
    }
    if (same != nullptr) {
      *same = std::move(vendor);
    } else {
      languages.push_back(std::move(vendor));
    }
  }
  return languages;
}

RunLanguage ChooseRunLanguage(std::string_view carried, std::u16string_view asked,
                              std::string_view userLocale, std::string_view vendorDefault) {
  RunLanguage run;
  std::vector<Language> vendors;
  std::vector<std::string> problems;
  ReadCarriedLanguages(carried, vendors, problems);
  for (const std::string& problem : problems)
    run.logLines.push_back(Utf8ToUtf16("the vendor's " + problem));
  const std::vector<Language> languages = AvailableLanguages(std::move(vendors));
  const std::string askedCode = Utf16ToUtf8(asked.data(), asked.size());
  LanguageSource source;
  run.language = ChooseLanguage(languages, askedCode, userLocale, vendorDefault, &source);
  if (!asked.empty() && source != LanguageSource::kAsked) {
    run.logLines.push_back(Utf8ToUtf16("/LANG=" + askedCode +
                                       " names no language this program "
                                       "has: chosen as without it"));
  }
  std::string why;
  switch (source) {
    case LanguageSource::kAsked:
      why = "as /LANG=" + askedCode + " asks";
      break;
    case LanguageSource::kUserLocale:
      why = "the user's UI language is " + std::string(userLocale);
      break;
    case LanguageSource::kVendorDefault:
      why = "the vendor's default, " + std::string(vendorDefault) +
            ", as the user's UI language (" + std::string(userLocale) + ") is none it has";
      break;
    case LanguageSource::kFallback:
      why = "neither the user's UI language (" + std::string(userLocale) +
            ") nor the vendor's default (" + std::string(vendorDefault) + ") is one it has";
      break;
  }
  std::string codes;
  for (const Language& language : languages) codes += (codes.empty() ? "" : ", ") + language.code;
  run.logLines.push_back(
      Utf8ToUtf16("speaks " + run.language.code + ": " + why + " (it has " + codes + ")"));
  return run;
}
