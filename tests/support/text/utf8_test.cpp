#include "support/text/utf8.h"

#include <gtest/gtest.h>

namespace {

TEST(Utf8, ConvertsBothWaysAndReplacesMalformedBytes) {
  struct Case {
    std::string utf8;
    std::u16string utf16;
  };
  const Case cases[] = {
      {"plain", u"plain"},
      {"\xE5\xAE\xA2\xE6\x88\xB7", u"\u5ba2\u6237"},
      {"\xF0\x9F\x98\x80", u"\U0001F600"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.utf8);
    EXPECT_EQ(Utf8ToUtf16(c.utf8), c.utf16);
    EXPECT_EQ(Utf16ToUtf8(c.utf16.c_str()), c.utf8);
    EXPECT_TRUE(IsValidUtf8(c.utf8.data(), c.utf8.size()));
  }
  const std::string malformed[] = {"\xC0\xAF", "\xED\xA0\x80", "\xE5\xAE", "\xFF"};
  for (const std::string& bytes : malformed) {
    SCOPED_TRACE(bytes.size());
    EXPECT_FALSE(IsValidUtf8(bytes.data(), bytes.size()));
    std::u16string converted = Utf8ToUtf16(bytes);
    EXPECT_NE(converted.find(u'\uFFFD'), std::u16string::npos);
  }
  EXPECT_EQ(Utf16ToUtf8(u"\xD800x"), "\xEF\xBF\xBDx");  // a lone surrogate
}

}  // namespace
