#include "tools/setupkit/language_commands.h"

#include <cstdio>

#include "records/carried_languages.h"
#include "records/language_file.h"
#include "support/files/xdata.h"
#include "support/text/utf8.h"
#include "tools/setupkit/installer_resources.h"
#include "tools/setupkit/tool_output.h"

int TextsCommand(const std::vector<std::u16string>& arguments) {
  const std::u16string code = arguments.empty() ? u"en" : arguments[0];
  const Language english = EnglishLanguage();
  const Language chinese = ChineseLanguage();
  const Language* language = nullptr;
  for (const Language* builtIn : {&english, &chinese}) {
    if (arguments.size() <= 1 && SameLanguageCode(builtIn->code, Utf16ToUtf8(code.c_str()))) {
      language = builtIn;
    }
  }
  if (language == nullptr) {
    std::fprintf(stderr, "setupkit: texts takes one of the built-in languages, en or zh-CN\n");
    return kExitUsage;
  }
  const std::string file = WriteLanguageFile(*language);
  if (std::fwrite(file.data(), 1, file.size(), stdout) != file.size() || std::fflush(stdout) != 0) {
    return Fail("cannot write to standard output");
  }
  return kExitDone;
}

bool ReadLanguageFiles(const std::vector<std::u16string>& files, std::vector<Language>& languages,
                       std::string& problem) {
  std::vector<std::u16string> readFrom;
  for (const std::u16string& path : files) {
    XData bytes;
    if (!bytes.ReadFile(path.c_str(), 0)) {
      problem = "cannot read the language file " + Shown(path);
      return false;
    }
    Language language;
    LanguageFileProblem refused;
    const std::string_view text(reinterpret_cast<const char*>(bytes.Data()), bytes.Length());
    if (!ReadLanguageFile(text, language, refused)) {
      problem = "the language file " + Shown(path) + " is refused: " + refused.Describe();
      return false;
    }
    for (size_t i = 0; i < languages.size(); ++i) {
      if (SameLanguageCode(languages[i].code, language.code)) {
        problem = "the language files " + Shown(readFrom[i]) + " and " + Shown(path) +
                  " both give the language " + language.code;
        return false;
      }
    }
    languages.push_back(std::move(language));
    readFrom.push_back(path);
  }
  return true;
}

std::string CarriedLanguageCodes(const std::string& image) {
  std::string carried;
  std::string problem;
  if (!FindInstallerResource(image, kLanguagesType, carried, problem)) {
    return "none added (Chinese and English are built in)";
  }
  std::vector<Language> languages;
  std::vector<std::string> problems;
  ReadCarriedLanguages(carried, languages, problems);
  std::string codes;
  for (const Language& language : languages) codes += (codes.empty() ? "" : " ") + language.code;
  for (const std::string& line : problems) codes += (codes.empty() ? "" : "; ") + line;
  return codes;
}
