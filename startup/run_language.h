#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "records/language.h"
#include "support/core/module_handle.h"

// The languages a program has: the built-in ones (Chinese first, then English), then the
// vendor's in their order. A vendor's language of a built-in's code takes its place: the
// vendor's own words win.
std::vector<Language> AvailableLanguages(std::vector<Language> vendors);

// The language a run speaks and the log's account of the choice.
struct RunLanguage {
  Language language;
  std::vector<std::u16string> logLines;  // which was chosen and why, and what was passed over
};

// Chooses, as ChooseLanguage does, among the built-in languages and those of carried (the
// resource "LANGS"): asked is /LANG='s value (empty when not given), userLocale the user's UI
// language ("en-US"), vendorDefault the record's "language". A /LANG= code the program does not
// have is no error: the choice goes on, and a log line says so.
RunLanguage ChooseRunLanguage(std::string_view carried, std::u16string_view asked,
                              std::string_view userLocale, std::string_view vendorDefault);

#ifdef _WIN32
// The start-up of each program, before it shows or logs any text: chooses the run's language
// from /LANG= in switches, the user's UI language (GetUserDefaultUILanguage) and the languages
// and record module carries, and speaks it from then on. Returns the log's lines about it.
struct RunSwitches;
std::vector<std::u16string> SpeakRunLanguage(ModuleHandle module, const RunSwitches& switches);
// The user's UI language as a locale name ("en-US"); empty when Windows names none.
std::string UserUiLocale();
#endif
