#include "support/text/version_text.h"

#include <gtest/gtest.h>

#include "support/text/utf8.h"

namespace {

TEST(VersionText, ComparesDottedNumbersPartByPart) {
  struct Case {
    const char16_t* first;
    const char16_t* second;
    VersionOrder order;
  };
  const Case cases[] = {
      {u"1.2.0.0", u"1.2.0.0", VersionOrder::kSame},
      {u"1.2.0.1", u"1.2.0.0", VersionOrder::kNewer},
      {u"1.2.0.0", u"1.10.0.0", VersionOrder::kOlder},  // as numbers, not as text
      {u"2", u"1.99.99", VersionOrder::kNewer},
      // Missing parts are zeros.
      {u"1.2", u"1.2.0.0", VersionOrder::kSame},
      {u"1.2.0.0", u"1.2", VersionOrder::kSame},
      {u"1.2", u"1.2.0.1", VersionOrder::kOlder},
      {u"1.2.0.1", u"1.2", VersionOrder::kNewer},
      // Leading zeros do not count; parts of any length compare as numbers.
      {u"1.02", u"1.2", VersionOrder::kSame},
      {u"1.007", u"1.10", VersionOrder::kOlder},
      {u"00.0", u"0", VersionOrder::kSame},
      {u"1.99999999999999999999", u"1.99999999999999999998", VersionOrder::kNewer},
      {u"1.100000000000000000000", u"1.99999999999999999999", VersionOrder::kNewer},
      {u"4294967296", u"4294967295", VersionOrder::kNewer},  // past 32 bits, no wrap
      // Anything else is not a version.
      {u"", u"1.0", VersionOrder::kIncomparable},
      {u"1.0", u"", VersionOrder::kIncomparable},
      {u"1.2-beta", u"1.2", VersionOrder::kIncomparable},
      {u"v1.2", u"1.2", VersionOrder::kIncomparable},
      {u"1..2", u"1.2", VersionOrder::kIncomparable},
      {u"1.2.", u"1.2", VersionOrder::kIncomparable},
      {u".1", u"0.1", VersionOrder::kIncomparable},
      {u"1.2 ", u"1.2", VersionOrder::kIncomparable},
      {u"-1", u"1", VersionOrder::kIncomparable},
      {u"+1", u"1", VersionOrder::kIncomparable},
      {u"\uFF11.2", u"1.2", VersionOrder::kIncomparable},  // a full-width digit
      {nullptr, u"1.2", VersionOrder::kIncomparable},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf16ToUtf8(c.first != nullptr ? c.first : u"(null)") + " vs " +
                 Utf16ToUtf8(c.second));
    EXPECT_EQ(CompareVersionTexts(c.first, c.second), c.order);
    VersionOrder reversed = c.order == VersionOrder::kOlder   ? VersionOrder::kNewer
                            : c.order == VersionOrder::kNewer ? VersionOrder::kOlder
                                                              : c.order;
    EXPECT_EQ(CompareVersionTexts(c.second, c.first), reversed);
    EXPECT_EQ(IsVersionText(c.first) && IsVersionText(c.second),
              c.order != VersionOrder::kIncomparable);
  }
}

}  // namespace
