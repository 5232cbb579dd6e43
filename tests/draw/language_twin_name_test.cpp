#include "draw/language_twin_name.h"

#include <gtest/gtest.h>

#include "support/text/utf8.h"

namespace {

TEST(LanguageTwinNameTest, ATwinIsLookedForByTheWholeCodeThenItsPrimaryPart) {
  struct Case {
    const char16_t* name;
    const char* code;
    std::vector<std::u16string> twins;
  };
  const Case cases[] = {
      {u"btn_start.png", "en", {u"btn_start.en.png"}},
      {u"btn_start.png", "en-GB", {u"btn_start.en-GB.png", u"btn_start.en.png"}},
      {u"btn_start.png", "zh-Hans-CN", {u"btn_start.zh-Hans-CN.png", u"btn_start.zh.png"}},
      {u"btn_start@2x.png", "de", {u"btn_start@2x.de.png"}},
      {u"skin.v2/logo", "de", {u"skin.v2/logo.de"}},
      {u"logo.png", "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.name) + " " + c.code);
    EXPECT_EQ(LanguageTwinNames(c.name, c.code), c.twins);
  }
}

}  // namespace
