#include "ui/element_geometry.h"

#include <gtest/gtest.h>

#include "ui/progress_geometry.h"

namespace {

void ExpectRect(const ElementRect& actual, const ElementRect& expected) {
  EXPECT_EQ(actual.left, expected.left);
  EXPECT_EQ(actual.top, expected.top);
  EXPECT_EQ(actual.right, expected.right);
  EXPECT_EQ(actual.bottom, expected.bottom);
}

TEST(AnchorLayout, PlacesByAnchorsSizesAndMargins) {
  struct Case {
    const char* name;
    ElementRect container;
    LayoutRecord layout;  // left, right anchor, top, bottom anchor, width, right margin, height,
                          // bottom margin
    ElementRect expected;
  };
  const ElementRect window{0, 0, 600, 400};
  const Case cases[] = {
      {"centred on a screen", {0, 0, 1920, 1080}, {-1, -1, -1, -1, 600, 0, 400, 0},
       {660, 340, 1260, 740}},
      {"right-anchored", window, {-1, 0, 5, 0, 20, 10, 16, 0}, {570, 5, 590, 21}},
      {"right-anchored, negative margin on the edge", window, {-1, 0, 5, 0, 20, -1, 16, 0},
       {580, 5, 600, 21}},
      {"bottom-anchored, negative margin past the edge", window, {10, 0, -1, 0, 30, 0, 20, -1},
       {10, 381, 40, 401}},
      {"half the width of an odd container", {0, 0, 301, 100}, {0, 0, 0, 0, -1, 0, 10, 0},
       {0, 0, 150, 10}},
      {"all zero stretches over the container", {3, 3, 597, 397}, {0, 0, 0, 0, 0, 0, 0, 0},
       {3, 3, 597, 397}},
      // The install window's folder box: stretched to 90 from the right, 40 above the bottom.
      {"stretched and bottom-anchored", window, {20, 0, -1, 0, 0, 90, 32, 40},
       {20, 328, 510, 360}},
      {"stretch with a negative margin keeps the width", window, {20, 0, 0, 0, 0, -5, 0, 0},
       {20, 0, 20, 400}},
      {"offset container, centred", {100, 50, 300, 150}, {-1, -1, -1, -1, 50, 0, 20, 0},
       {175, 90, 225, 110}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectRect(AnchorLayout(c.container, c.layout), c.expected);
  }
}

TEST(AnchorLayout, TruncatesContainerSizesToSixteenBits) {
  // 70000 wide reads as 4464: the centring offset and the half width follow from that.
  ExpectRect(AnchorLayout({0, 0, 70000, 10}, {-1, -1, 0, 0, -1, 0, 10, 0}), {1116, 0, 3348, 10});
}

TEST(AnchorLayout, UnpacksLayoutWords) {
  const int32_t words[4] = {-1, static_cast<int32_t>(0x000A0005), 0x00140030,
                            static_cast<int32_t>(0xFFFF0010)};
  LayoutRecord layout = LayoutFromWords(words);
  EXPECT_EQ(layout.left, -1);
  EXPECT_EQ(layout.rightAnchor, -1);
  EXPECT_EQ(layout.top, 5);
  EXPECT_EQ(layout.bottomAnchor, 10);
  EXPECT_EQ(layout.width, 0x30);
  EXPECT_EQ(layout.rightMargin, 0x14);
  EXPECT_EQ(layout.height, 0x10);
  EXPECT_EQ(layout.bottomMargin, -1);
}

TEST(RectContains, LeftAndTopEdgesInRightAndBottomOut) {
  const ElementRect rect{10, 20, 30, 40};
  EXPECT_TRUE(RectContains(rect, 10, 20));
  EXPECT_TRUE(RectContains(rect, 29, 39));
  EXPECT_FALSE(RectContains(rect, 30, 25));
  EXPECT_FALSE(RectContains(rect, 15, 40));
  EXPECT_FALSE(RectContains(rect, 9, 25));
  EXPECT_FALSE(RectContains({5, 5, 5, 9}, 5, 6));
}

TEST(FitInsets, KeepsCornersInsideSourceAndDestination) {
  struct Case {
    const char* name;
    Insets insets;
    int32_t sourceWidth, sourceHeight, destWidth, destHeight;
    Insets expected;
  };
  const Case cases[] = {
      {"fits", {20, 0, 20, 0}, 100, 30, 300, 30, {20, 0, 20, 0}},
      {"narrower destination", {20, 0, 20, 0}, 100, 30, 30, 30, {15, 0, 15, 0}},
      {"smaller source, uneven", {30, 10, 10, 30}, 20, 20, 300, 300, {15, 5, 5, 15}},
      {"negative insets", {-4, -1, 6, 2}, 50, 50, 50, 50, {0, 0, 6, 2}},
      {"empty destination", {3, 3, 3, 3}, 10, 10, 0, -5, {0, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Insets fitted = FitInsets(c.insets, c.sourceWidth, c.sourceHeight, c.destWidth, c.destHeight);
    EXPECT_EQ(fitted.left, c.expected.left);
    EXPECT_EQ(fitted.top, c.expected.top);
    EXPECT_EQ(fitted.right, c.expected.right);
    EXPECT_EQ(fitted.bottom, c.expected.bottom);
  }
}

TEST(ProgressGeometry, RevealsUpToThePositionAndCentresFillAndThumb) {
  struct Case {
    const char* name;
    int64_t position, range;
    int32_t revealedRight, thumbLeft;
  };
  const ElementRect bar{20, 300, 320, 320};  // 300 wide, 20 high
  const Case cases[] = {
      {"empty", 0, 100, 20, 15},
      {"half", 50, 100, 170, 165},
      {"range 0 counts as 1", 1, 0, 320, 315},
      {"past the range stays on the bar", 150, 100, 320, 315},
      {"negative position", -5, 100, 20, 15},
      {"large 32-bit counts", 3000000000LL, 4000000000LL, 245, 240},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ProgressGeometry geometry = LayOutProgress(bar, c.position, c.range, 7, 11, 15);
    ExpectRect(geometry.revealed, {20, 300, c.revealedRight, 320});
    ExpectRect(geometry.fill, {20, 307, 320, 314});  // 20 / 2 - 7 / 2 = 7
    ExpectRect(geometry.thumb, {c.thumbLeft, 303, c.thumbLeft + 11, 318});
  }
}

}  // namespace
