#include "support/core/fixed_wstring.h"

#include <gtest/gtest.h>

#include <string>

namespace {

template <int N>
std::u16string Text(const FixedWString<N>& s) {
  return std::u16string(s.Units(), static_cast<size_t>(s.Length()));
}

template <int N>
void ExpectTerminated(const FixedWString<N>& s) {
  EXPECT_EQ(s.Units()[s.Length()], 0);
}

TEST(FixedWString, AssignCutsToWhatEachCapacityKeeps) {
  std::u16string longText(2000, u'x');
  FixedWString<32> s32;
  FixedWString<64> s64;
  FixedWString<128> s128;
  FixedWString<256> s256;
  FixedWString<512> s512;
  FixedWString<1024> s1024;
  EXPECT_EQ(s32.Assign(longText.c_str()).Length(), 32);
  EXPECT_EQ(s64.Assign(longText.c_str()).Length(), 63);
  EXPECT_EQ(s128.Assign(longText.c_str()).Length(), 127);
  EXPECT_EQ(s256.Assign(longText.c_str()).Length(), 255);
  EXPECT_EQ(s512.Assign(longText.c_str()).Length(), 511);
  EXPECT_EQ(s1024.Assign(longText.c_str()).Length(), 1023);
  ExpectTerminated(s32);
  ExpectTerminated(s1024);
}

TEST(FixedWString, AssignHandlesNullSelfAndCounts) {
  FixedWString<128> s;
  s.Assign(u"hello");
  s.Assign(s.Units());
  EXPECT_EQ(Text(s), u"hello");
  s.Assign(nullptr);
  EXPECT_EQ(s.Length(), 0);
  ExpectTerminated(s);

  struct Case {
    const char16_t* source;
    int count;
    std::u16string expected;
  };
  const Case cases[] = {
      {u"abcdef", 3, u"abc"},
      {u"ab", 10, u"ab"},  // stops at the source's zero
      {u"abc", 0, u""},
      {nullptr, 4, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.count);
    s.Assign(u"previous");
    s.Assign(c.source, c.count);
    EXPECT_EQ(Text(s), c.expected);
    ExpectTerminated(s);
  }
  std::u16string longText(300, u'y');
  EXPECT_EQ(s.Assign(longText.c_str(), 300).Length(), 127);
}

TEST(FixedWString, AppendStopsAtTheLimit) {
  struct Case {
    int startLength;
    int count;
    int appended;
  };
  const Case cases[] = {
      {0, 10, 10}, {505, 10, 6}, {511, 1, 0}, {510, 1, 1}, {100, 0, 0},
  };
  std::u16string source(20, u'z');
  for (const Case& c : cases) {
    SCOPED_TRACE(c.startLength);
    FixedWString<512> s;
    std::u16string start(static_cast<size_t>(c.startLength), u'a');
    s.Assign(start.c_str());
    EXPECT_EQ(s.Append(source.c_str(), c.count), c.appended);
    EXPECT_EQ(s.Length(), c.startLength + c.appended);
    ExpectTerminated(s);
  }
  FixedWString<512> s;
  s.Assign(u"ab");
  EXPECT_EQ(s.Append(s.Units(), 2), 0);
  EXPECT_EQ(s.Append(u"cd"), 2);
  EXPECT_EQ(Text(s), u"abcd");
}

}  // namespace
