#include "draw/font.h"

#include <gtest/gtest.h>

#include <string>

#include "support/core/wide_text.h"

namespace {

LOGFONTW Described(CFont& font) {
  LOGFONTW description = {};
  EXPECT_EQ(GetObjectW(font.GetHandle(), sizeof description, &description),
            static_cast<int>(sizeof description));
  return description;
}

TEST(Font, CreatesWithTheSkinsDefaultsAndStoredParameters) {
  CFont font;
  EXPECT_EQ(font.GetHandle(), nullptr);
  EXPECT_EQ(font.GetHeight(), 15);

  ASSERT_TRUE(font.Create(15, false, false, false, 0, nullptr));
  LOGFONTW plain = Described(font);
  EXPECT_EQ(std::u16string(font.GetFaceName()), u"Arial");
  EXPECT_EQ(std::u16string(AsUtf16(plain.lfFaceName)), u"Arial");
  EXPECT_EQ(plain.lfWeight, 100);
  EXPECT_EQ(plain.lfHeight, 15);

  // The escapement keeps its low 16 bits; a face name is cut to 63 characters.
  const std::u16string longFace(70, u'f');
  ASSERT_TRUE(font.Create(-24, true, true, true, 65536 + 900, longFace.c_str()));
  LOGFONTW styled = Described(font);
  EXPECT_EQ(font.GetEscapement(), 900);
  EXPECT_EQ(styled.lfEscapement, 900);
  EXPECT_EQ(std::u16string(font.GetFaceName()), longFace.substr(0, 63));
  EXPECT_EQ(styled.lfWeight, 700);
  EXPECT_TRUE(font.IsBold());
  EXPECT_TRUE(font.IsItalic() && styled.lfItalic);
  EXPECT_TRUE(font.IsUnderline() && styled.lfUnderline);
  EXPECT_FALSE(font.IsStrikeOut());
  EXPECT_EQ(font.GetHeight(), -24);
  ASSERT_TRUE(font.Create(10, false, false, false, 0xFFFF, u"Arial"));
  EXPECT_EQ(font.GetEscapement(), -1);

  ASSERT_TRUE(font.CreateSimple(32, true, u"Arial"));
  EXPECT_EQ(Described(font).lfWeight, 700);
  EXPECT_FALSE(font.IsItalic());
  EXPECT_FALSE(font.IsUnderline());
  EXPECT_EQ(font.GetEscapement(), 0);
  EXPECT_EQ(font.GetSpare(), 0);
}

}  // namespace
