#include "support/text/byte_order_mark.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(ByteOrderMark, DetectsEachMarkWithoutReadingPastTheBuffer) {
  struct Case {
    std::vector<uint8_t> bytes;
    int type;
  };
  const Case cases[] = {
      {{0xEF, 0xBB, 0xBF, 0x41}, kBomUtf8},    {{0xFF, 0xFE, 0x00, 0x00}, kBomUtf32Le},
      {{0xFF, 0xFE, 0x41, 0x00}, kBomUtf16Le}, {{0x00, 0x00, 0xFE, 0xFF}, kBomUtf32Be},
      {{0xFE, 0xFF}, kBomUtf16Be},             {{0xFF, 0xFE}, kBomUtf16Le},
      {{0xEF, 0xBB}, kBomNone},                {{0x41, 0x00}, kBomNone},
      {{}, kBomNone},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes.size());
    // Exactly sized heap copies, so reading a byte too many shows under AddressSanitizer.
    std::vector<uint8_t> exact(c.bytes);
    EXPECT_EQ(DetectBom(exact.data(), static_cast<uint32_t>(exact.size())), c.type);
  }
  EXPECT_EQ(DetectBom(nullptr, 4), kBomNone);
}

TEST(ByteOrderMark, WritesWhatItDetects) {
  for (int type = kBomUtf8; type <= kBomUtf32Be; ++type) {
    SCOPED_TRACE(type);
    uint8_t out[4] = {};
    int length = WriteBom(type, out);
    EXPECT_EQ(length, BomLength(type));
    EXPECT_EQ(DetectBom(out, static_cast<uint32_t>(length)), type);
  }
  uint8_t out[4];
  EXPECT_EQ(WriteBom(9, out), 0);
  EXPECT_EQ(WriteBom(kBomUtf8, nullptr), 0);
  EXPECT_EQ(BomLength(kBomNone), 0);
}

}  // namespace
