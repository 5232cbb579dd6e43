#pragma once

#include <string>
#include <vector>

#include "records/language.h"

// setupkit texts [CODE]: prints the built-in language CODE ("en" unless given, or "zh-CN") as a
// language file, the start of a vendor's translation. kExitUsage for another code.
int TextsCommand(const std::vector<std::u16string>& arguments);

// Reads the vendor's language files of --language, each checked as the programs read it. False,
// with one line in problem naming the file, the line, the key and the reason, for a file that
// cannot be read or is refused, or for two files of one language.
bool ReadLanguageFiles(const std::vector<std::u16string>& files, std::vector<Language>& languages,
                       std::string& problem);

// The codes of the languages an executable's bytes carry as resource "LANGS" 1, for inspect:
// what it says when it carries none.
std::string CarriedLanguageCodes(const std::string& image);
