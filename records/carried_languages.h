#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "records/language.h"

// The vendor's languages as the installer, the uninstaller and the updater carry them (resource
// "LANGS" 1): each as WriteLanguageFile writes it, followed by a zero byte, in the order the
// vendor gave them. Earlier programs never look at the resource.
constexpr char16_t kLanguagesType[] = u"LANGS";
constexpr int kLanguagesId = 1;

std::string CarriedLanguages(const std::vector<Language>& languages);

// Reads the languages of carried into languages, in order. A file the program cannot read (one a
// setupkit of another version wrote, whose keys differ) is left out, with a line in problems
// saying which and why.
void ReadCarriedLanguages(std::string_view carried, std::vector<Language>& languages,
                          std::vector<std::string>& problems);
