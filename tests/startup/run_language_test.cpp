#include "startup/run_language.h"

#include <gtest/gtest.h>

#include <string>

#include "records/carried_languages.h"
#include "records/language_file.h"
#include "support/text/utf8.h"

namespace {

// English with the given code and title: a vendor's language as setupkit carries it.
Language Vendor(const char* code, const char16_t* title) {
  Language language = EnglishLanguage();
  language.code = code;
  language.texts[static_cast<int>(TextKey::kSwitchesTitle)] = title;
  return language;
}

std::string LogOf(const RunLanguage& run) {
  std::string log;
  for (const std::u16string& line : run.logLines) log += Utf16ToUtf8(line.c_str()) + "\n";
  return log;
}

TEST(RunLanguageTest, ARunSpeaksTheVendorsOrABuiltInLanguageAndTheLogSaysWhy) {
  const std::string carried =
      CarriedLanguages({Vendor("de", u"Schalter:"), Vendor("EN", u"Switches, the vendor's:")});
  // A file another setupkit wrote, with a key this program does not know, is left out.
  const std::string foreign = "language=fr\nswitches.unknown=x\n" + std::string(1, '\0');
  struct Case {
    const char* name;
    std::string carried;
    const char16_t* asked;
    const char* user;
    const char* vendorDefault;
    const char* code;
    const char16_t* title;
    const char* logged;
  };
  const Case cases[] = {
      {"Chinese as before", "", u"", "zh-CN", "", "zh-CN", u"可用的命令行参数（不区分大小写）：",
       "speaks zh-CN: the user's UI language is zh-CN (it has zh-CN, en)"},
      {"English by the UI language", "", u"", "en-US", "", "en",
       u"Command-line switches (not case-sensitive):", "the user's UI language is en-US"},
      {"nothing matches: Chinese", "", u"", "fr-FR", "", "zh-CN",
       u"可用的命令行参数（不区分大小写）：",
       "neither the user's UI language (fr-FR) nor the vendor's default () is one it has"},
      {"the vendor's default", carried, u"", "fr-FR", "de", "de", u"Schalter:",
       "the vendor's default, de, as the user's UI language (fr-FR) is none it has"},
      {"asked", carried, u"de", "zh-CN", "", "de", u"Schalter:", "as /LANG=de asks"},
      {"the vendor's words replace a built-in's", carried, u"", "en-GB", "", "EN",
       u"Switches, the vendor's:", "(it has zh-CN, EN, de)"},
      {"an unknown /LANG= goes on to the UI language", carried, u"xx", "de-CH", "", "de",
       u"Schalter:", "/LANG=xx names no language this program has"},
      {"a file the program cannot read", foreign + carried, u"fr", "", "", "zh-CN",
       u"可用的命令行参数（不区分大小写）：",
       "the vendor's language 1 left out: line 2, key switches.unknown"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const RunLanguage run = ChooseRunLanguage(c.carried, c.asked, c.user, c.vendorDefault);
    EXPECT_EQ(run.language.code, c.code);
    EXPECT_EQ(Utf16ToUtf8(run.language.texts[static_cast<int>(TextKey::kSwitchesTitle)].c_str()),
              Utf16ToUtf8(c.title));
    EXPECT_NE(LogOf(run).find(c.logged), std::string::npos) << LogOf(run);
  }
}

}  // namespace
