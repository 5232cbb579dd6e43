#include "draw/render.h"

#include <windows.h>

#include <png.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "draw/gdi_handles.h"
#include "tests/helpers/image_files.h"

namespace {

constexpr uint32_t kBackground = 0xFF3C5A78;

// A target image attached to a real device, filled with kBackground.
class RenderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(target_.Create(kWidth, kHeight, 32, nullptr));
    render_.SetTarget(&target_);
    const std::vector<uint32_t> fill(kWidth * kHeight, kBackground);
    render_.CopyPixels(fill.data(), kWidth, kHeight, false);
  }

  // Starts again from a fresh background, the image detached while it is remade.
  void Restart() {
    render_.SetTarget(nullptr);
    SetUp();
  }

  uint32_t Pixel(int x, int y) const {
    return reinterpret_cast<const uint32_t*>(target_.GetBits())[y * kWidth + x];
  }

  // Every pixel inside rect is what inside(x, y) says; every pixel outside is the background.
  template <typename Expected>
  void ExpectPixels(const RECT& rect, Expected inside) {
    GdiFlush();
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        const bool in = x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
        ASSERT_EQ(Pixel(x, y), in ? inside(x, y) : kBackground) << "at " << x << ", " << y;
      }
    }
  }

  static constexpr int kWidth = 48;
  static constexpr int kHeight = 36;
  CImage target_;
  CRenderGDI render_;
};

// A 30 x 30 opaque source whose nine cells for margins 5, 6, 7, 8 each have their own colour.
constexpr int kColumns[] = {0, 5, 23, 30};
constexpr int kRows[] = {0, 6, 22, 30};

uint32_t CellColour(int column, int row) { return 0xFF000000u | (column * 3 + row + 1) * 0x1B0D07; }

int CellOf(const int (&edges)[4], int value) {
  int cell = 0;
  while (cell < 2 && value >= edges[cell + 1]) ++cell;
  return cell;
}

void MakeGridSource(CImage& source) {
  std::vector<uint32_t> pixels;
  for (int y = 0; y < 30; ++y) {
    for (int x = 0; x < 30; ++x) {
      pixels.push_back(CellColour(CellOf(kColumns, x), CellOf(kRows, y)));
    }
  }
  ASSERT_TRUE(source.Create(30, 30, 32, pixels.data()));
}

TEST_F(RenderTest, PremultipliedPixelsBlendOverTheBackground) {
  const std::vector<Rgba> colours = PatternColours(8, 6, true);
  CImage image;
  const std::string png = EncodePng({8, 6, PNG_COLOR_TYPE_RGB_ALPHA, 8, false, false, {}, colours});
  ASSERT_TRUE(image.LoadPng(reinterpret_cast<const uint8_t*>(png.data()),
                            static_cast<uint32_t>(png.size())));
  for (int opacity : {255, 128}) {
    SCOPED_TRACE(opacity);
    Restart();
    const RECT rect = {10, 4, 18, 10};
    ASSERT_TRUE(
        render_.DrawWholeBitmap(rect, image.GetBitmap(), true, static_cast<uint8_t>(opacity)));
    GdiFlush();
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        if (x < rect.left || x >= rect.right || y < rect.top || y >= rect.bottom) {
          ASSERT_EQ(Pixel(x, y), kBackground);
          continue;
        }
        const Rgba& c = colours[(y - rect.top) * 8 + (x - rect.left)];
        const double a = c.a / 255.0 * opacity / 255.0;
        const int source[4] = {c.b, c.g, c.r, 255};
        for (int channel = 0; channel < 4; ++channel) {
          const int shift = channel * 8;
          const double under = (kBackground >> shift) & 0xFF;
          const double expected = source[channel] * a + under * (1 - a);
          EXPECT_NEAR(static_cast<double>((Pixel(x, y) >> shift) & 0xFF), expected, 2.5)
              << "channel " << channel << " at " << x << ", " << y;
        }
      }
    }
  }
}

TEST_F(RenderTest, NinePartPiecesLandAtTheirExactRectangles) {
  CImage source;
  MakeGridSource(source);
  // Target columns 4..9..29..36, rows 3..9..21..29.
  const RECT rect = {4, 3, 36, 29};
  const int targetColumns[] = {4, 9, 29, 36};
  const int targetRows[] = {3, 9, 21, 29};
  struct Case {
    const char* name;
    bool blend;
    bool fillCenter;
    bool centreDrawn;
  };
  const Case cases[] = {
      {"copied", false, false, true},
      {"blended with the centre", true, true, true},
      {"blended without the centre", true, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Restart();
    ASSERT_TRUE(render_.DrawImage9(rect, source.GetBitmap(), 0, 0, 30, 30, 5, 6, 7, 8, c.blend,
                                   255, c.fillCenter));
    ExpectPixels(rect, [&](int x, int y) {
      const int column = CellOf(targetColumns, x), row = CellOf(targetRows, y);
      if (column == 1 && row == 1 && !c.centreDrawn) return kBackground;
      return CellColour(column, row);
    });
  }

  // All margins 0 is a plain stretched copy of the source rectangle.
  Restart();
  ASSERT_TRUE(render_.DrawImage9({0, 0, 10, 10}, source.GetBitmap(), 23, 22, 7, 8, 0, 0, 0, 0,
                                 false, 255, false));
  ExpectPixels({0, 0, 10, 10}, [](int, int) { return CellColour(2, 2); });
}

TEST_F(RenderTest, ClipsNestOneLevel) {
  CImage red;
  std::vector<uint32_t> pixels(kWidth * kHeight, 0xFFFF0000);
  ASSERT_TRUE(red.Create(kWidth, kHeight, 32, pixels.data()));
  const RECT whole = {0, 0, kWidth, kHeight};
  const RECT first = {2, 3, 10, 12};
  const RECT second = {20, 20, 30, 25};
  auto drawRed = [&] { ASSERT_TRUE(render_.DrawWholeBitmap(whole, red.GetBitmap(), false, 255)); };

  EXPECT_FALSE(render_.PushClip({5, 5, 5, 9}, RGN_COPY));
  render_.ResetClip();
  ASSERT_TRUE(render_.PushClip(first, RGN_COPY));
  ASSERT_TRUE(render_.PushClip(second, RGN_COPY));
  render_.PopClip();  // back to the first clip
  drawRed();
  ExpectPixels(first, [](int, int) { return 0xFFFF0000u; });
  render_.PopClip();  // no clip at all
  drawRed();
  ExpectPixels(whole, [](int, int) { return 0xFFFF0000u; });

  Restart();
  ASSERT_TRUE(render_.PushClip(first, RGN_COPY));
  EXPECT_FALSE(render_.PushClip(second, RGN_AND));  // the two do not meet
  render_.ResetClip();
  drawRed();
  ExpectPixels(whole, [](int, int) { return 0xFFFF0000u; });
}

// Draws text white on a cleared (fully transparent) target; returns the pixels.
std::vector<uint32_t> DrawnText(CRenderGDI& render, CImage& target, const char16_t* text,
                                const RECT& rect, HFONT font) {
  render.Clear();
  render.SetTextColor(0xFFFFFFFF);
  EXPECT_GT(render.DrawText(rect, text, -1, font, DT_LEFT | DT_TOP | DT_SINGLELINE), 0);
  GdiFlush();
  const uint32_t* bits = reinterpret_cast<const uint32_t*>(target.GetBits());
  return std::vector<uint32_t>(bits, bits + target.GetWidth() * target.GetHeight());
}

TEST_F(RenderTest, ChineseTextDrawsInsideItsRectangleAndMakesItOpaque) {
  GdiObject<HFONT> font(CreateFontW(-16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET,
                                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                    DEFAULT_PITCH, L"WenQuanYi Micro Hei"));
  ASSERT_NE(font.Get(), nullptr);
  const RECT rect = {3, 4, 40, 30};
  const std::vector<uint32_t> install = DrawnText(render_, target_, u"安装", rect, font.Get());
  const std::vector<uint32_t> notice = DrawnText(render_, target_, u"提示", rect, font.Get());
  int lit = 0;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const uint32_t pixel = install[y * kWidth + x];
      const bool in = x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
      if (!in) {
        ASSERT_EQ(pixel, 0u) << "outside at " << x << ", " << y;
      } else {
        ASSERT_EQ(pixel >> 24, 0xFFu) << "inside at " << x << ", " << y;
        if ((pixel & 0xFFFFFF) != 0) ++lit;
      }
    }
  }
  EXPECT_GT(lit, 20);
  // Different characters draw differently: the glyphs are real, not boxes for missing ones.
  EXPECT_NE(install, notice);

  RECT measured = {0, 0, 0, 0};
  EXPECT_GT(render_.MeasureText(measured, u"安装提示", -1, font.Get(), DT_SINGLELINE), 10);
  EXPECT_GT(measured.right, 30);
  EXPECT_EQ(render_.DrawText(rect, u"", -1, font.Get(), 0), 0);
  EXPECT_EQ(render_.DrawText(rect, nullptr, 4, font.Get(), 0), 0);
}

TEST_F(RenderTest, PixelOperationsReachTheTarget) {
  render_.FillRect({-10, -10, 4, 3}, 0x80FFFFFF);
  render_.TintImage(0xFF000000, 100);  // twice the inset passes the width: nothing
  ExpectPixels({0, 0, 4, 3}, [](int, int) { return 0xFF9DACBBu; });
  render_.MakeGray();
  EXPECT_EQ(Pixel(0, 0), 0xFFACACACu);
  EXPECT_EQ(Pixel(20, 20), 0xFF5A5A5Au);

  // Present copies the whole target into another DC.
  CImage copy;
  ASSERT_TRUE(copy.Create(kWidth, kHeight, 32, nullptr));
  MemoryDC dc(CreateCompatibleDC(nullptr));
  {
    Selection selected(dc.Get(), copy.GetBitmap());
    ASSERT_TRUE(render_.Present(dc.Get()));
    GdiFlush();
  }
  EXPECT_EQ(std::string(reinterpret_cast<char*>(copy.GetBits()), kWidth * kHeight * 4),
            std::string(reinterpret_cast<char*>(target_.GetBits()), kWidth * kHeight * 4));
}

TEST_F(RenderTest, ResizeRemakesTheTargetAndFreesTheOldBitmap) {
  const HBITMAP old = target_.GetBitmap();
  ASSERT_TRUE(render_.Resize(20, 10));
  EXPECT_EQ(GetObjectType(old), 0u);  // deleted, not leaked inside the DC
  EXPECT_EQ(target_.GetWidth(), 20);
  EXPECT_EQ(target_.GetHeight(), 10);
  EXPECT_EQ(reinterpret_cast<const uint32_t*>(target_.GetBits())[0], 0u);
  // The device draws into the new bitmap.
  CImage source;
  MakeGridSource(source);
  ASSERT_TRUE(render_.DrawBitmap({0, 0, 5, 6}, source.GetBitmap(), 0, 0, 5, 6, false, 255));
  GdiFlush();
  EXPECT_EQ(reinterpret_cast<const uint32_t*>(target_.GetBits())[19], 0u);
  EXPECT_EQ(reinterpret_cast<const uint32_t*>(target_.GetBits())[0], CellColour(0, 0));

  CRenderGDI detached;
  EXPECT_FALSE(detached.Resize(20, 10));
  EXPECT_FALSE(detached.DrawBitmap({0, 0, 5, 6}, source.GetBitmap(), 0, 0, 5, 6, false, 255));
  EXPECT_FALSE(detached.PushClip({0, 0, 5, 5}, RGN_COPY));
}

}  // namespace
