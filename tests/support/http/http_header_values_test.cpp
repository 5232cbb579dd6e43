#include "support/http/http_header_values.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(HttpHeaderValues, ReadsAContentLengthOnlyWhenItIsANumber) {
  struct Case {
    std::string text;
    bool ok;
    uint64_t length;
  };
  const Case cases[] = {
      {"0", true, 0},
      {"2000000000", true, 2000000000},
      {" 52428800 ", true, 52428800},
      {"18446744073709551615", true, UINT64_MAX},
      {"18446744073709551616", false, 0},  // one past 64 bits: never a wrapped small number
      {"", false, 0},
      {"-1", false, 0},
      {"+5", false, 0},
      {"10, 10", false, 0},  // two headers folded into one
      {"1 0", false, 0},
      {"0x10", false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    uint64_t length = 12345;
    ASSERT_EQ(ParseContentLength(c.text, &length), c.ok);
    if (c.ok) {
      EXPECT_EQ(length, c.length);
    }
  }
}

TEST(HttpHeaderValues, ReadsAContentRangeOnlyWhenItIsASpanInsideItsTotal) {
  struct Case {
    std::string text;
    bool ok;
    uint64_t first, last, total;
  };
  const Case cases[] = {
      {"bytes 1000000-2999999/3000000", true, 1000000, 2999999, 3000000},
      {"bytes 0-0/1", true, 0, 0, 1},
      {"BYTES 5-9/10", true, 5, 9, 10},
      {"  bytes   5-9/10 ", true, 5, 9, 10},
      {"bytes 5-9/*", false, 0, 0, 0},   // without the total the file's size is not confirmed
      {"bytes */10", false, 0, 0, 0},    // the reply of an unsatisfiable range
      {"bytes 9-5/10", false, 0, 0, 0},  // ends before it starts
      {"bytes 5-10/10", false, 0, 0, 0},  // runs past the end
      {"bytes5-9/10", false, 0, 0, 0},
      {"items 5-9/10", false, 0, 0, 0},
      {"bytes 5-9/10 junk", false, 0, 0, 0},
      {"bytes 5 - 9/10", false, 0, 0, 0},
      {"bytes 5-9/99999999999999999999", false, 0, 0, 0},
      {"", false, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ContentRange range;
    ASSERT_EQ(ParseContentRange(c.text, &range), c.ok);
    if (!c.ok) continue;
    EXPECT_EQ(range.first, c.first);
    EXPECT_EQ(range.last, c.last);
    EXPECT_EQ(range.total, c.total);
  }
}

}  // namespace
