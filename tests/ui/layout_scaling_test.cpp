#include "ui/layout_scaling.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool Same(const LayoutRecord& a, const LayoutRecord& b) {
  return a.left == b.left && a.rightAnchor == b.rightAnchor && a.top == b.top &&
         a.bottomAnchor == b.bottomAnchor && a.width == b.width &&
         a.rightMargin == b.rightMargin && a.height == b.height && a.bottomMargin == b.bottomMargin;
}

TEST(LayoutScaling, ScalesLengthsAndKeepsWhatIsNotGivenOrAnchored) {
  struct Case {
    const char* name;
    LayoutRecord layout;
    int dpi;
    LayoutRecord expected;
  };
  const std::vector<Case> cases = {
      {"at 96 nothing changes", {20, 0, 10, 0, 118, 0, 30, 0}, 96, {20, 0, 10, 0, 118, 0, 30, 0}},
      {"doubled", {20, 0, 10, 0, 118, 0, 30, 0}, 192, {40, 0, 20, 0, 236, 0, 60, 0}},
      {"centred stays centred", {-1, -1, -1, -1, 178, 0, 46, 0}, 144,
       {-1, -1, -1, -1, 267, 0, 69, 0}},
      {"right and bottom anchored, margins scaled", {-1, 0, -1, 0, 64, 20, 28, 40}, 192,
       {-1, 0, -1, 0, 128, 40, 56, 80}},
      {"stretched width stays 0", {20, 0, -1, 0, 0, 90, 28, 40}, 120,
       {25, 0, -1, 0, 0, 113, 35, 50}},
      {"half sizes stay -1, negative margins keep their sign", {0, 0, 0, 0, -1, -1, -1, -1}, 192,
       {0, 0, 0, 0, -1, -2, -1, -2}},
      {"cut to 16 bits", {20000, 0, -20000, 0, 30000, 0, 1, 0}, 192,
       {32767, 0, -32768, 0, 32767, 0, 2, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(Same(ScaleLayout(c.layout, c.dpi), c.expected));
  }
}

// A layout scaled to 200 % inside a container twice the size lands on exactly twice the
// rectangle, whatever its anchors.
TEST(LayoutScaling, DoubleLayoutInADoubleContainerIsTheDoubleRectangle) {
  const std::vector<LayoutRecord> layouts = {
      {20, 0, 10, 0, 118, 0, 30, 0},   {-1, 0, 10, 0, 24, 10, 24, 0},
      {-1, -1, -1, -1, 178, 0, 46, 0}, {20, 0, -1, 0, 0, 90, 28, 40},
      {-1, 0, -1, 0, 70, 20, 32, 59},  {0, 0, 0, 0, 0, 0, 0, 0},
  };
  for (const LayoutRecord& layout : layouts) {
    const ElementRect once = AnchorLayout({0, 0, 600, 400}, layout);
    const ElementRect twice = AnchorLayout({0, 0, 1200, 800}, ScaleLayout(layout, 192));
    EXPECT_EQ(twice.left, 2 * once.left);
    EXPECT_EQ(twice.top, 2 * once.top);
    EXPECT_EQ(twice.right, 2 * once.right);
    EXPECT_EQ(twice.bottom, 2 * once.bottom);
  }
  const Insets insets = ScaleInsets({20, 0, 3, 1}, 144);
  EXPECT_EQ(insets.left, 30);
  EXPECT_EQ(insets.top, 0);
  EXPECT_EQ(insets.right, 5);
  EXPECT_EQ(insets.bottom, 2);
}

}  // namespace
