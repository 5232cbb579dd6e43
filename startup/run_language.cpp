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

namespace {

// Why source chose the run's language, for the log.
std::string WhyChosen(LanguageSource source, const std::string& asked, std::string_view userLocale,
                      std::string_view vendorDefault) {
  const std::string user(userLocale);
  const std::string vendor(vendorDefault);
  switch (source) {
    case LanguageSource::kAsked:
      return "as /LANG=" + asked + " asks";
    case LanguageSource::kUserLocale:
      return "the user's UI language is " + user;
    case LanguageSource::kVendorDefault:
      return "the vendor's default, " + vendor + ", as the user's UI language (" + user +
             ") is none it has";
    case LanguageSource::kFallback:
      break;
  }
  return "neither the user's UI language (" + user + ") nor the vendor's default (" + vendor +
         ") is one it has";
}

}  // namespace

RunLanguage ChooseRunLanguage(std::string_view carried, std::u16string_view asked,
                              std::string_view userLocale, std::string_view vendorDefault) {
  RunLanguage run;
  std::vector<Language> vendors;
  std::vector<std::string> problems;
  ReadCarriedLanguages(carried, vendors, problems);
  for (const std::string& problem : problems) {
    run.logLines.push_back(Utf8ToUtf16("the vendor's " + problem));
  }
  const std::vector<Language> languages = AvailableLanguages(std::move(vendors));
  const std::string askedCode = Utf16ToUtf8(asked.data(), asked.size());
  LanguageSource source;
  run.language = ChooseLanguage(languages, askedCode, userLocale, vendorDefault, &source);
  if (!asked.empty() && source != LanguageSource::kAsked) {
    run.logLines.push_back(
        Utf8ToUtf16("/LANG=" + askedCode + " names no language this program has: passed over"));
  }
  std::string codes;
  for (const Language& language : languages) codes += (codes.empty() ? "" : ", ") + language.code;
  run.logLines.push_back(Utf8ToUtf16("speaks " + run.language.code + ": " +
                                     WhyChosen(source, askedCode, userLocale, vendorDefault) +
                                     " (it has " + codes + ")"));
  return run;
}
