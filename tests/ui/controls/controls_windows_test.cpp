#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "ui/controls/button_ui.h"
#include "ui/controls/check_ui.h"
#include "ui/controls/image_ui.h"
#include "ui/controls/progress_ui.h"
#include "ui/controls/text_ui.h"
#include "tests/helpers/pixel_canvas.h"

namespace {

constexpr uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF;

// A control with its running fade in reach, so a test can put the fade where it wants it.
template <typename Control>
class Fading : public Control {
 public:
  using Control::fade_;
  // Ends the state change: the state's own frame is drawn from now on.
  void Settle() { fade_.previousState = this->GetState(); }
};

uint32_t Channel(uint32_t pixel, int shift) { return (pixel >> shift) & 0xFF; }

// Pixels compared channel by channel, allowing for GDI's rounding in blends.
void ExpectNear(uint32_t actual, uint32_t expected, const char* where) {
  SCOPED_TRACE(where);
  for (int shift = 0; shift < 32; shift += 8) {
    EXPECT_NEAR(static_cast<int>(Channel(actual, shift)), static_cast<int>(Channel(expected, shift)),
                2)
        << std::hex << "actual 0x" << actual << ", expected 0x" << expected;
  }
}

TEST(ProgressControl, RevealsTheFillUpToThePositionWithTheThumbOnItsEdge) {
  PixelCanvas canvas(320, 40);
  ASSERT_TRUE(canvas.Ready());
  CProgressUI bar;
  ASSERT_TRUE(MakeFrames(bar.image, 4, 20, {kBlue}));        // track
  ASSERT_TRUE(MakeFrames(bar.fillImage, 4, 8, {kGreen}));    // rows 16..23 of the bar
  ASSERT_TRUE(MakeFrames(bar.thumbImage, 6, 6, {kRed}));     // rows 17..22
  const RECT rect{10, 10, 310, 30};                         // 300 wide
  bar.SetRect(rect);

  struct Case {
    const char* name;
    uint32_t position, range;
    int edge;  // the revealed part's right edge
  };
  const Case cases[] = {
      {"half", 50, 100, 160},
      {"empty", 0, 100, 10},
      {"range 0 draws as range 1", 1, 0, 310},
      {"past the range stays on the bar", 400, 100, 310},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    canvas.Clear();
    bar.position = c.position;
    bar.range = c.range;
    bar.SetDirty(true);
    bar.Draw(canvas.Render());
    EXPECT_FALSE(bar.IsDirty());
    if (c.range == 0) {
      EXPECT_EQ(bar.range, 1u) << "the bar keeps the range it drew with";
    }
    for (int x = 11; x < 309; ++x) {
      if (x >= c.edge - 4 && x <= c.edge + 3) continue;  // the thumb and its edges
      uint32_t expected = 0xFF000000 | (x < c.edge ? kGreen : kBlue);
      if (canvas.At(x, 16) != expected || canvas.At(x, 23) != expected) {
        ADD_FAILURE() << "fill band wrong at x " << x << ": 0x" << std::hex << canvas.At(x, 16);
        break;
      }
      ASSERT_EQ(canvas.At(x, 15), 0xFF000000 | kBlue) << "track above the band at x " << x;
    }
    // The thumb: 6 wide, centred on the edge (left = edge - 3), 6 high centred on the bar.
    EXPECT_EQ(canvas.At(c.edge - 3, 17), 0xFF000000 | kRed);
    EXPECT_EQ(canvas.At(c.edge + 2, 22), 0xFF000000 | kRed);
    if (c.edge > rect.left) {
      EXPECT_EQ(canvas.At(c.edge - 1, 23), 0xFF000000 | kGreen);
    }
    if (c.edge < rect.right) {
      EXPECT_EQ(canvas.At(c.edge, 23), 0xFF000000 | kBlue);
    }
    RECT drawn = rect;
    drawn.left = std::min<int>(rect.left, c.edge - 3);
    drawn.right = std::max<int>(rect.right, c.edge + 3);
    EXPECT_TRUE(canvas.UntouchedOutside(drawn));
  }
}

TEST(ButtonControl, CrossFadesBetweenStateFramesForTwoHundredMilliseconds) {
  PixelCanvas canvas(20, 10);
  ASSERT_TRUE(canvas.Ready());
  Fading<CButtonUI> button;
  ASSERT_TRUE(MakeFrames(button.image, 20, 10, {kRed, kGreen, kBlue}));
  button.frameCount = 3;
  button.SetRect(RECT{0, 0, 20, 10});

  button.Draw(canvas.Render());
  EXPECT_EQ(canvas.At(5, 5), 0xFF000000 | kRed);
  EXPECT_FALSE(button.IsDirty());

  // A press: the first frame of the fade shows the old state alone.
  button.OnMouse(WM_LBUTTONDOWN, 5, 5, MK_LBUTTON);
  ASSERT_EQ(button.GetState(), 2);
  ASSERT_TRUE(button.IsDirty());
  canvas.Clear();
  button.Draw(canvas.Render());
  EXPECT_EQ(canvas.At(5, 5), 0xFF000000 | kRed);
  EXPECT_TRUE(button.IsDirty());

  // Half-way: the old frame at opacity 127, the new one at 128 over it.
  button.fade_.progress = 128;
  canvas.Clear();
  button.Draw(canvas.Render());
  const double oldAlpha = 127 / 255.0, newAlpha = 128 / 255.0;
  uint32_t red = static_cast<uint32_t>(255 * oldAlpha * (1 - newAlpha) + 0.5);
  uint32_t blue = static_cast<uint32_t>(255 * newAlpha + 0.5);
  uint32_t alpha = static_cast<uint32_t>(255 * (oldAlpha + newAlpha * (1 - oldAlpha)) + 0.5);
  ExpectNear(canvas.At(5, 5), alpha << 24 | red << 16 | blue, "half-way");
  EXPECT_TRUE(button.IsDirty()) << "a running fade keeps the button dirty";

  // Once 200 ms have passed the fade ends, and the next frame is the new state's alone: the
  // frame that ended it still showed the mix, so the button stays dirty for that one.
  button.fade_.start = GetTickCount() - 1000;
  button.Draw(canvas.Render());
  EXPECT_TRUE(button.IsDirty()) << "the new state's frame is still to be drawn";
  canvas.Clear();
  button.Draw(canvas.Render());
  EXPECT_EQ(canvas.At(5, 5), 0xFF000000 | kBlue);
  EXPECT_EQ(canvas.At(19, 9), 0xFF000000 | kBlue);
  EXPECT_FALSE(button.IsDirty());
}

TEST(CheckControl, DrawsTheStateFrameOfTheCheckedOrUncheckedImage) {
  PixelCanvas canvas(30, 20);
  ASSERT_TRUE(canvas.Ready());
  Fading<CCheckUI> check;
  ASSERT_TRUE(MakeFrames(check.image, 13, 13, {0x101010, 0x202020, 0x303030}));
  ASSERT_TRUE(MakeFrames(check.checkedImage, 13, 13, {0xA0A0A0, 0xB0B0B0, 0xC0C0C0}));
  check.frameCount = 3;
  const RECT rect{5, 4, 18, 17};
  check.SetRect(rect);
  check.OnMouse(WM_MOUSEHOVER, 0, 0, 0);
  check.Settle();

  check.Draw(canvas.Render());
  EXPECT_EQ(canvas.At(5, 4), 0xFF202020);
  EXPECT_EQ(canvas.At(17, 16), 0xFF202020);
  check.SetChecked(true);
  canvas.Clear();
  check.Draw(canvas.Render());
  EXPECT_EQ(canvas.At(5, 4), 0xFFB0B0B0);
  EXPECT_EQ(canvas.At(17, 16), 0xFFB0B0B0);
  EXPECT_TRUE(canvas.UntouchedOutside(rect));
}

TEST(ImageControl, InsetsWiderThanTheElementStillDrawItsCorners) {
  PixelCanvas canvas(40, 10);
  ASSERT_TRUE(canvas.Ready());
  CImageUI image;
  // Left half red, right half blue.
  std::vector<uint32_t> pixels;
  for (int y = 0; y < 10; ++y) {
    for (int x = 0; x < 10; ++x) pixels.push_back(0xFF000000 | (x < 5 ? kRed : kBlue));
  }
  ASSERT_TRUE(image.image.Create(10, 10, 32, pixels.data()));
  image.insets = Insets{50, 0, 50, 0};
  const RECT rect{10, 0, 30, 10};
  image.SetRect(rect);
  image.Draw(canvas.Render());
  EXPECT_EQ(canvas.At(10, 5), 0xFF000000 | kRed);
  EXPECT_EQ(canvas.At(14, 5), 0xFF000000 | kRed);
  EXPECT_EQ(canvas.At(25, 5), 0xFF000000 | kBlue);
  EXPECT_EQ(canvas.At(29, 5), 0xFF000000 | kBlue);
  EXPECT_TRUE(canvas.UntouchedOutside(rect));
}

// The pixels of the canvas whose red channel shows ink.
std::vector<bool> InkMask(PixelCanvas& canvas) {
  std::vector<bool> ink;
  for (int y = 0; y < canvas.Height(); ++y) {
    for (int x = 0; x < canvas.Width(); ++x) ink.push_back(Channel(canvas.At(x, y), 16) > 96);
  }
  return ink;
}

TEST(TextControl, DrawsChineseTextInsideItsRectangleWithOpaqueAlpha) {
  const RECT rect{10, 10, 150, 40};
  const RECT textRect{13, 10, 150, 40};  // the text starts 3 pixels in
  std::vector<bool> masks[2];
  const char16_t* texts[2] = {u"安装提示", u"中文目录"};
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    PixelCanvas canvas(160, 50);
    ASSERT_TRUE(canvas.Ready());
    CTextUI label;
    ASSERT_TRUE(label.font.CreateSimple(20, false, u"WenQuanYi Micro Hei"));
    label.text.Assign(texts[i]);
    label.SetColor(0x000000FF);  // red as a COLORREF
    label.SetRect(rect);
    label.Draw(canvas.Render());
    EXPECT_FALSE(label.IsDirty());

    int inked = 0;
    for (int y = textRect.top; y < textRect.bottom; ++y) {
      for (int x = textRect.left; x < textRect.right; ++x) {
        uint32_t pixel = canvas.At(x, y);
        ASSERT_EQ(pixel >> 24, 0xFFu) << "alpha left transparent at " << x << ", " << y;
        if (Channel(pixel, 16) > 96) ++inked;
      }
    }
    EXPECT_GT(inked, 100);
    EXPECT_TRUE(canvas.UntouchedOutside(textRect));
    masks[i] = InkMask(canvas);
  }
  // Missing glyphs would draw the same boxes for both strings.
  EXPECT_NE(masks[0], masks[1]);
}

}  // namespace
