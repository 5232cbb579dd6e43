#include <gtest/gtest.h>

#include <string>

#include "support/text/ascii_text.h"
#include "support/text/key_value_text.h"
#include "support/text/quoted_value_text.h"

namespace {

TEST(FindKeyValue, FindsValuesByWholeKey) {
  struct Case {
    const char16_t* text;
    const char16_t* key;
    std::u16string value;  // expected, or empty when absent
    bool found;
  };
  const Case cases[] = {
      {u"name=client;ver=1.0;", u"ver", u"1.0", true},
      {u"name = spaced ;", u"name", u" spaced ", true},  // untrimmed, white space after the key
      {u"config2=b;config=a;", u"config", u"a", true},   // not inside config2
      {u"xconfig=b;config=a;", u"config", u"a", true},   // boundary before the key
      {u"a=1;\r\nb=2;\r\n", u"b", u"2", true},
      {u"a=1;", u"b", u"", false},
      {u"a=1", u"a", u"", false},  // no terminator
      {u"a;b=2;", u"a", u"", false},
      // Only where an entry starts: never inside a longer key or another entry's value.
      {u"pp=demo;", u"p", u"", false},
      {u"pp=demo;p=mine;", u"p", u"mine", true},
      {u"source=http://h/configconfig=http://127.0.0.1:1/evil.xml;", u"config", u"", false},
      {u"name=a config=evil;\r\nconfig=good;", u"config", u"good", true},
      {u"  \t a=1;", u"a", u"1", true},
      {u"a ;b=2;", u"a", u"", false},  // nor with a separator from a later entry
      {u"a x=2;", u"a", u"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.key, c.key + std::char_traits<char16_t>::length(c.key)));
    char16_t dst[64] = u"untouched";
    int length = -1;
    const char16_t* next = FindKeyValue(dst, 64, &length, c.text, c.key, u'=', u';');
    ASSERT_NE(next, nullptr);
    if (c.found) {
      EXPECT_EQ(std::u16string(dst), c.value);
      EXPECT_EQ(length, static_cast<int>(c.value.size()));
      EXPECT_EQ(next[-1], u';');
    } else {
      EXPECT_EQ(std::u16string(dst), u"untouched");
      EXPECT_EQ(length, 0);
    }
  }
}

TEST(FindKeyValue, CutsToTheDestinationAndRejectsBadArguments) {
  char16_t dst[4];
  int length = 0;
  FindKeyValue(dst, 4, &length, u"k=abcdef;", u"k", u'=', u';');
  EXPECT_EQ(std::u16string(dst), u"abc");
  EXPECT_EQ(length, 3);
  EXPECT_EQ(FindKeyValue(nullptr, 4, &length, u"k=a;", u"k", u'=', u';'), nullptr);
  EXPECT_EQ(FindKeyValue(dst, 4, &length, u"k=a;", u"k", 0, u';'), nullptr);
  const char16_t* text = u"k=a;";
  EXPECT_EQ(FindKeyValue(dst, 4, &length, text, u"", u'=', u';'), text);
}

TEST(PutKeyValue, WritesOnlyWhenItFits) {
  char16_t out[16] = {};
  EXPECT_EQ(PutKeyValue(out, 8, u"key", u"val", -1, u'=', u';'), 8);
  EXPECT_EQ(std::u16string(out, 8), u"key=val;");
  char16_t small[16] = {};
  EXPECT_EQ(PutKeyValue(small, 7, u"key", u"val", -1, u'=', u';'), 0);
  EXPECT_EQ(small[0], 0);
  EXPECT_EQ(PutKeyValue(out, 16, u"", u"val", -1, u'=', u';'), 0);
  EXPECT_EQ(PutKeyValue(out, 16, u"a", u"xyz", 1, u'=', u'&'), 4);
  EXPECT_EQ(std::u16string(out, 4), u"a=x&");
}

TEST(QuotedValue, FindsNamesValuesAndPrefixes) {
  struct Case {
    std::string text;
    std::string name;
    std::string expected;  // "<none>" when not found
  };
  const Case cases[] = {
      {R"({"back":"#FFFFFF", "fore": 12 })", "fore", "12"},
      {R"({"back":"#FFFFFF", "fore": 12 })", "back", "#FFFFFF"},
      {R"({"fore":"red"})", "forecolor", "red"},  // an entry name that begins the wanted one
      {R"({"a":1,"b":2})", "b", "2"},
      {R"({"a":1} "b":2)", "b", "<none>"},  // a bare value ending at '}' ends the search
      {R"({"a":1})", "c", "<none>"},
      {R"({"a" 1})", "a", "<none>"},  // no colon
      {R"("x":"y")", "x", "y"},       // no braces
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text + " / " + c.name);
    char dst[32];
    const char* end = c.text.data() + c.text.size();
    int n = GetQuotedValue(dst, 32, c.name.c_str(), c.text.c_str(), end);
    EXPECT_EQ(n == 0 ? std::string("<none>") : std::string(dst, n), c.expected);

    std::u16string wideText(c.text.begin(), c.text.end());
    std::u16string wideName(c.name.begin(), c.name.end());
    char16_t wideDst[32];
    int wideN = GetQuotedValue(wideDst, 32, wideName.c_str(), wideText.c_str(),
                               wideText.c_str() + wideText.size());
    EXPECT_EQ(wideN, n);
  }
}

TEST(QuotedValue, GetTerminatesOnlyWhenShorter) {
  std::string text = R"({"name":"abcd"})";
  char dst[5] = {'#', '#', '#', '#', '#'};
  EXPECT_EQ(GetQuotedValue(dst, 4, "name", text.c_str(), text.c_str() + text.size()), 4);
  EXPECT_EQ(dst[4], '#');
  EXPECT_EQ(GetQuotedValue(dst, 5, "name", text.c_str(), text.c_str() + text.size()), 4);
  EXPECT_EQ(dst[4], 0);
}

TEST(QuotedValue, PutWritesTheEntryWhenItFits) {
  char16_t out[32] = {};
  EXPECT_EQ(PutQuotedValue(out, 14, u"font", u"Arial", -1), 14);
  EXPECT_EQ(std::u16string(out, 14), u"\"font\":\"Arial\"");
  EXPECT_EQ(PutQuotedValue(out, 13, u"font", u"Arial", -1), 0);
  EXPECT_EQ(PutQuotedValue(out, 32, u"", u"Arial", -1), 0);
  char narrow[16] = {};
  EXPECT_EQ(PutQuotedValue(narrow, 16, "a", "bc", 1), 7);
  EXPECT_EQ(std::string(narrow, 7), "\"a\":\"b\"");
}

TEST(AsciiText, FoldsOnlyAsciiLettersAndCountsWhatIsLeft) {
  std::u16string text = u"Ab\u00C9z-Q";
  EXPECT_EQ(ToLowerAscii(text.data(), -1), 0);
  EXPECT_EQ(text, u"ab\u00C9z-q");
  EXPECT_EQ(ToUpperAscii(text.data(), 2), 0);
  EXPECT_EQ(text, u"AB\u00C9z-q");
  char16_t shortText[] = u"ab";
  EXPECT_EQ(ToUpperAscii(shortText, 5), 3);  // stopped at the zero with three units unprocessed
  EXPECT_EQ(ToUpperAscii(nullptr, 5), 0);
}

TEST(AsciiText, FindLastCharSearchesBackwards) {
  const char16_t* path = u"C:\\a\\b\\";
  EXPECT_EQ(FindLastChar(path, u'\\', -1), path + 6);
  EXPECT_EQ(FindLastChar(path, u'\\', 6), path + 4);
  EXPECT_EQ(FindLastChar(path, u'/', -1), nullptr);
  EXPECT_EQ(FindLastChar(path, u'\\', 0), nullptr);
  EXPECT_EQ(FindLastChar(static_cast<const char16_t*>(nullptr), u'\\', -1), nullptr);
}

TEST(AsciiText, ContainsAndCompareGoUnitByUnit) {
  struct Case {
    const char16_t* a;
    const char16_t* b;
    bool contains;  // b occurs in a
    int order;      // sign of the comparison of a with b
  };
  const Case cases[] = {
      {u"1.10.0.0", u"1.9.0.0", false, -1},  // ordinal, not numeric
      {u"2.0.0.0", u"1.9.9.9", false, 1},
      {u"1.2.3.4", u"1.2.3.4", true, 0},
      {u"uninst|install", u"install", true, 1},
      {u"uninst|Install", u"install", false, 1},
      {u"inst", u"install", false, -1},       // a prefix sorts first
      {u"\u5b89\u88c5", u"\u88c5", true, -1},
      {u"", u"", true, 0},
      {nullptr, u"x", false, -1},
  };
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(i);
    EXPECT_EQ(ContainsUnits(c.a, c.b), c.contains);
    int order = CompareUnits(c.a, c.b);
    EXPECT_EQ((order > 0) - (order < 0), c.order);
  }
}

}  // namespace
