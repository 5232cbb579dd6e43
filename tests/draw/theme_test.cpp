#include "draw/theme.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/helpers/temp_folder.h"

namespace {

constexpr char16_t kDefaultsText[] =
    u"{\"forecolor\":\"#FF808080\",\"backcolor\":\"#FFFFFFFF\",\"textcolor\":\"#FF000000\"}";

CTheme InstallWindowDefaults() {
  CTheme theme;
  theme.SetForeColor(0xFF808080);
  theme.SetBackColor(0xFFFFFFFF);
  theme.SetTextColor(0xFF000000);
  return theme;
}

TEST(Theme, FormatsTheDefaultsInSeventyThreeUnits) {
  CTheme theme = InstallWindowDefaults();
  char16_t wide[80];
  ASSERT_EQ(theme.FormatText(wide, 80), 73);
  EXPECT_EQ(std::u16string(wide), kDefaultsText);

  char narrow[ITheme::kFormatCapacity];
  ASSERT_EQ(theme.FormatTextA(narrow, ITheme::kFormatCapacity), 73);
  EXPECT_EQ(std::u16string(narrow, narrow + 73), kDefaultsText);

  // One unit short of the terminator: nothing but an empty text, and nothing past the buffer.
  char16_t small[ITheme::kFormatCapacity] = {u'x', u'x'};
  small[73] = u'!';
  EXPECT_EQ(theme.FormatText(small, 73), 0);
  EXPECT_EQ(small[0], 0);
  EXPECT_EQ(small[73], u'!');
}

TEST(Theme, ReadsTolerantTextAndKeepsWhatIsMissing) {
  struct Case {
    const char* name;
    std::u16string text;
    bool parses;
    uint32_t fore, back, text_;
  };
  const uint32_t kFore = 0xFF808080, kBack = 0xFFFFFFFF, kText = 0xFF000000;
  const Case cases[] = {
      {"only textcolor", u"{\"textcolor\":\"#FF336699\"}", true, kFore, kBack, 0xFF336699},
      {"spaces, bare and quoted values",
       u" { \"forecolor\" : FF00FF00 ,\n \"backcolor\"\t:  \"#80FFFFFF\" } ", true, 0xFF00FF00,
       0x80FFFFFF, kText},
      {"any order, lower-case digits",
       u"{\"textcolor\":\"#ff010203\",\"backcolor\":\"#04050607\",\"forecolor\":\"#08090a0b\"}",
       true, 0x08090A0B, 0x04050607, 0xFF010203},
      {"no brace", u"\"textcolor\":\"#FF336699\"", false, kFore, kBack, kText},
      {"a brace and nothing else", u"{", true, kFore, kBack, kText},
      // A pair without its colon ends the search for the keys behind it, not for those before.
      {"malformed pair",
       u"{\"textcolor\":\"#FF000001\",\"backcolor\" \"#FF000002\",\"forecolor\":\"#FF000003\"}",
       true, kFore, kBack, 0xFF000001},
      {"digits stop at a non-digit", u"{\"forecolor\":\"#12zz\"}", true, 0x12, kBack, kText},
      {"too many digits saturate", u"{\"forecolor\":\"#1FF336699\"}", true, 0xFFFFFFFF, kBack,
       kText},
      {"only the first 63 units count",
       u"{\"forecolor\":\"" + std::u16string(63, u'0') + u"F\"}", true, 0, kBack, kText},
      {"62 zeros and a digit", u"{\"forecolor\":\"" + std::u16string(62, u'0') + u"F\"}", true,
       0xF, kBack, kText},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CTheme theme = InstallWindowDefaults();
    EXPECT_EQ(theme.ParseText(c.text.c_str(), static_cast<int>(c.text.size())), c.parses);
    EXPECT_EQ(theme.GetForeColor(), c.fore);
    EXPECT_EQ(theme.GetBackColor(), c.back);
    EXPECT_EQ(theme.GetTextColor(), c.text_);

    std::string narrow(c.text.begin(), c.text.end());
    CTheme narrowTheme = InstallWindowDefaults();
    EXPECT_EQ(narrowTheme.ParseTextA(narrow.c_str(), static_cast<int>(narrow.size())), c.parses);
    EXPECT_EQ(narrowTheme.GetForeColor(), c.fore);
    EXPECT_EQ(narrowTheme.GetTextColor(), c.text_);
  }
}

TEST(Theme, ReadsOnlyWithinTheGivenLength) {
  const std::u16string text = u"{\"forecolor\":\"#FF112233\"}{\"backcolor\":\"#FF445566\"}";
  CTheme theme = InstallWindowDefaults();
  ASSERT_TRUE(theme.ParseText(text.c_str(), 25));
  EXPECT_EQ(theme.GetForeColor(), 0xFF112233u);
  EXPECT_EQ(theme.GetBackColor(), 0xFFFFFFFFu);
  EXPECT_FALSE(theme.ParseText(nullptr, 10));
  EXPECT_FALSE(theme.ParseText(text.c_str(), 0));
}

TEST(Theme, SavesAndLoadsFiles) {
  TempFolder folder;
  const std::u16string path = folder.File(u"theme.txt");
  CTheme saved;
  saved.SetForeColor(0x01020304);
  saved.SetBackColor(0xA0B0C0D0);
  saved.SetTextColor(0xFF336699);
  ASSERT_EQ(saved.SaveFile(path.c_str()), 146u);
  std::string bytes = ReadBytes(folder.Path() / "theme.txt");
  ASSERT_EQ(bytes.size(), 146u);
  EXPECT_EQ(bytes.substr(0, 4), std::string("{\0\"\0", 4));  // UTF-16LE, no byte-order mark

  CTheme loaded;
  ASSERT_TRUE(loaded.LoadFile(path.c_str()));
  EXPECT_EQ(loaded.GetForeColor(), 0x01020304u);
  EXPECT_EQ(loaded.GetBackColor(), 0xA0B0C0D0u);
  EXPECT_EQ(loaded.GetTextColor(), 0xFF336699u);

  const std::string narrowPath = (folder.Path() / "narrow.txt").string();
  ASSERT_EQ(saved.SaveFileA(narrowPath.c_str()), 146u);
  CTheme narrowLoaded;
  ASSERT_TRUE(narrowLoaded.LoadFileA(narrowPath.c_str()));
  EXPECT_EQ(narrowLoaded.GetBackColor(), 0xA0B0C0D0u);

  CTheme untouched = InstallWindowDefaults();
  EXPECT_FALSE(untouched.LoadFile(folder.File(u"missing.txt").c_str()));
  EXPECT_EQ(untouched.GetTextColor(), 0xFF000000u);
  EXPECT_EQ(saved.SaveFile(folder.File(u"no\\such\\folder\\theme.txt").c_str()), 0u);
}

}  // namespace
