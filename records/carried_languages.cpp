#include "records/carried_languages.h"

#include "records/language_file.h"

std::string CarriedLanguages(const std::vector<Language>& languages) {
  std::string carried;
  for (const Language& language : languages) carried += WriteLanguageFile(language) + '\0';
  return carried;
}

void ReadCarriedLanguages(std::string_view carried, std::vector<Language>& languages,
                          std::vector<std::string>& problems) {
  int number = 0;
  while (!carried.empty()) {
    const size_t end = carried.find('\0');
    const std::string_view file = carried.substr(0, end);
    carried.remove_prefix(end == carried.npos ? carried.size() : end + 1);
    ++number;
    Language language;
    LanguageFileProblem problem;
    if (ReadLanguageFile(file, language, problem)) {
      languages.push_back(std::move(language));
    } else {
      problems.push_back("language " + std::to_string(number) + " left out: " + problem.Describe());
    }
  }
}
