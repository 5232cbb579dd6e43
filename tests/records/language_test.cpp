#include "records/current_language.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

Language Named(const char* code) { return Language{code, {}}; }

TEST(LanguageTest, TheRunSpeaksTheFirstMatchOfAskedUserAndVendorWholeThenByPrimary) {
  const std::vector<Language> languages = {Named("zh-CN"), Named("en"), Named("de-AT"),
                                           Named("de-DE")};
  struct Case {
    const char* asked;
    const char* user;
    const char* vendor;
    const char* expected;
  };
  const Case cases[] = {
      {"", "zh-CN", "", "zh-CN"},       {"", "zh-TW", "en", "zh-CN"},
      {"", "en-GB", "", "en"},          {"", "DE-de", "", "de-DE"},
      {"", "de-CH", "", "de-AT"},       {"EN", "de-DE", "", "en"},
      {"fr", "de-DE", "", "de-DE"},     {"", "fr-FR", "en-US", "en"},
      {"", "fr-FR", "", "zh-CN"},       {"", "", "", "zh-CN"},
      {"", "english", "", "zh-CN"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.asked) + "|" + c.user + "|" + c.vendor);
    EXPECT_EQ(ChooseLanguage(languages, c.asked, c.user, c.vendor).code, c.expected);
  }
}

TEST(LanguageTest, EveryKeyHasANameBothBuiltInTextsAndTheSamePartsInEach) {
  for (int i = 0; i < kTextKeyCount; ++i) {
    const TextRow& row = RowOfText(static_cast<TextKey>(i));
    SCOPED_TRACE(row.name);
    TextKey found;
    ASSERT_TRUE(FindTextKey(row.name, found));
    EXPECT_EQ(static_cast<int>(found), i);
    ASSERT_NE(row.chinese, nullptr);
    ASSERT_NE(row.english, nullptr);
    auto parts = [](std::u16string_view text) {
      std::vector<std::u16string_view> names;
      for (size_t open = text.find(u'{'); open != text.npos; open = text.find(u'{', open + 1)) {
        names.push_back(text.substr(open, text.find(u'}', open) - open));
      }
      std::sort(names.begin(), names.end());
      return names;
    };
    EXPECT_EQ(parts(row.chinese), parts(row.english));
  }
  TextKey none;
  EXPECT_FALSE(FindTextKey("no.such.key", none));
}

TEST(LanguageTest, TextFillsEveryNamedPartInTheRunsLanguage) {
  const Language before = CurrentLanguage();
  Language test{"xx", std::vector<std::u16string>(kTextKeyCount, u"{a}-{b}-{a}")};
  UseLanguage(test);
  EXPECT_EQ(Text(TextKey::kSwitchesTitle, {{u"a", u"{b}"}, {u"b", u"2"}}), u"{b}-2-{b}");
  EXPECT_EQ(Text(TextKey::kSwitchesTitle), u"{a}-{b}-{a}");
  UseLanguage(ChineseLanguage());
  EXPECT_EQ(Text(TextKey::kSwitchRefused, {{u"switch", u"/X"}}), u"无法识别的命令行参数：/X");
  UseLanguage(before);
}

}  // namespace
