#include "draw/pixel_operations.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace {

constexpr int kWidth = 4;
constexpr int kHeight = 3;

// A 4 x 3 surface whose pixels are all one value; the vector is exactly the surface, so the
// sanitizers see any access outside it.
struct Surface {
  explicit Surface(uint32_t fill) : pixels(kWidth * kHeight, fill) {}
  PixelSurface View() { return {pixels.data(), kWidth, kHeight}; }
  std::vector<uint32_t> pixels;
};

// The pixels expected when exactly those inside [left, right) x [top, bottom) became changed.
std::vector<uint32_t> Expected(uint32_t fill, uint32_t changed, PixelRect inside) {
  std::vector<uint32_t> out;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const bool in = x >= inside.left && x < inside.right && y >= inside.top && y < inside.bottom;
      out.push_back(in ? changed : fill);
    }
  }
  return out;
}

constexpr PixelRect kNone = {0, 0, 0, 0};
constexpr PixelRect kAll = {0, 0, kWidth, kHeight};

TEST(PixelOperationsTest, BlendColorChangesOnlyTheClippedRectangle) {
  struct Case {
    const char* name;
    uint32_t color;
    PixelRect rect;
    PixelRect changed;
    uint32_t result;
  };
  const std::vector<Case> cases = {
      {"half grey over white", 0x80808080, {1, 1, 3, 2}, {1, 1, 3, 2}, 0xFFBEBEBE},
      {"no opacity", 0x00FF0000, kAll, kNone, 0},
      {"full opacity is 255/256 of the colour", 0xFF000000, kAll, kAll, 0xFF000000},
      {"past the right and bottom edges", 0xFF000000, {2, 1, 90, 90}, {2, 1, 4, 3}, 0xFF000000},
      {"negative corner", 0xFF000000, {-5, -5, 1, 2}, {0, 0, 1, 2}, 0xFF000000},
      {"every int", 0xFF000000, {INT_MIN, INT_MIN, INT_MAX, INT_MAX}, kAll, 0xFF000000},
      {"entirely outside", 0xFF000000, {10, 0, 20, 3}, kNone, 0},
      {"entirely above", 0xFF000000, {0, -9, 4, -1}, kNone, 0},
      {"inverted", 0xFF000000, {3, 2, 1, 1}, kNone, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Surface surface(0xFFFFFFFF);
    BlendColor(surface.View(), c.rect, c.color);
    EXPECT_EQ(surface.pixels, Expected(0xFFFFFFFF, c.result, c.changed));
  }
  // Colour and pixel mix per channel; the pixel's alpha stays whatever it is.
  Surface surface(0x40102030);
  BlendColor(surface.View(), kAll, 0x40FF8000);
  EXPECT_EQ(surface.pixels[0], 0x404B3723u);
}

TEST(PixelOperationsTest, TintPixelsKeepsABorderOfTheInset) {
  struct Case {
    int inset;
    PixelRect changed;
  };
  const std::vector<Case> cases = {
      {0, kAll}, {-3, kAll}, {1, {1, 1, 3, 2}}, {2, kNone}, {INT_MAX, kNone},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.inset);
    Surface surface(0xFFFFFFFF);
    TintPixels(surface.View(), 0xFF000000, c.inset);
    EXPECT_EQ(surface.pixels, Expected(0xFFFFFFFF, 0xFF000000, c.changed));
  }
}

TEST(PixelOperationsTest, GrayAndTextAlphaRepair) {
  Surface gray(0x4D1E3C5B);  // red 30, green 60, blue 91: the average 60
  GrayPixels(gray.View());
  EXPECT_EQ(gray.pixels, Expected(0, 0x4D3C3C3C, kAll));

  Surface text(0x00123456);
  text.pixels[5] = 0x80112233;
  RepairTextAlpha(text.View(), {1, -4, 3, 2});
  std::vector<uint32_t> expected = Expected(0x00123456, 0xFF123456, {1, 0, 3, 2});
  expected[5] = 0x80112233;
  EXPECT_EQ(text.pixels, expected);
}

TEST(PixelOperationsTest, CopyPixelBlockWritesOneRunCutToTheSurface) {
  std::vector<uint32_t> block(6 * 5);
  for (size_t i = 0; i < block.size(); ++i) block[i] = 0xFF000000u | static_cast<uint32_t>(i);

  struct Case {
    const char* name;
    int width;
    int height;
    int written;  // pixels from the start that hold block[i]
  };
  const std::vector<Case> cases = {
      {"whole surface", 4, 3, 12},
      {"narrower block", 2, 2, 4},
      {"larger block", 6, 5, 12},
      {"negative width", -2, 3, 0},
      {"no rows", 4, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Surface surface(7);
    CopyPixelBlock(surface.View(), block.data(), c.width, c.height, false);
    for (int i = 0; i < kWidth * kHeight; ++i) {
      EXPECT_EQ(surface.pixels[i], i < c.written ? block[i] : 7u) << "pixel " << i;
    }
  }

  const std::vector<uint32_t> blended = {0x00FFFFFF, 0xFF010203, 0x80FF0000, 0x01FFFFFF};
  Surface surface(0x40204060);
  CopyPixelBlock(surface.View(), blended.data(), 4, 1, true);
  EXPECT_EQ(surface.pixels[0], 0x40204060u);
  EXPECT_EQ(surface.pixels[1], 0xFF010203u);
  EXPECT_EQ(surface.pixels[2], 0x5F8F1F2Fu);
  EXPECT_EQ(surface.pixels[3], 0x3F204060u);  // the shift by 8 loses a little alpha
  EXPECT_EQ(surface.pixels[4], 0x40204060u);
}

}  // namespace
