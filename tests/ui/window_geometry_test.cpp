#include "ui/window_geometry.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "ui/element_order.h"
#include "ui/window_caption.h"

namespace {

TEST(WindowGeometry, GripZonesOfAResizableWindow) {
  const ElementRect client{0, 0, 600, 400};
  struct Case {
    int32_t x;
    int32_t y;
    int32_t hitCode;
    uint16_t cursorId;
  };
  const Case cases[] = {
      {599, 399, 17, 32642},  // r - 1, b - 1: the corner
      {593, 393, 17, 32642},  // the corner's top-left pixel
      {598, 393, 17, 32642},  // the corner wins over the right edge
      {598, 10, 11, 32644},   // r - 2: the right edge
      {597, 392, 11, 32644},  // the right edge's last row above the corner
      {10, 398, 15, 32645},   // b - 2: the bottom edge
      {592, 397, 15, 32645},  // the bottom edge's last column left of the corner
      {596, 10, 0, 0},        // inside the content
      {592, 396, 0, 0},
      {600, 399, 0, 0},       // right and bottom edges are outside
      {599, 400, 0, 0},
      {-1, 398, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
    const ResizeGrip grip = GripAt(client, c.x, c.y);
    EXPECT_EQ(grip.hitCode, c.hitCode);
    EXPECT_EQ(grip.cursorId, c.cursorId);
  }
}

TEST(WindowGeometry, SizeLimitsGrowByTheBorderAndTheMaximumWins) {
  struct Case {
    SizeLimits limits;
    int32_t border;
    WindowSize proposed;
    WindowSize expected;
  };
  const Case cases[] = {
      {{300, 200, 800, -1}, 6, {100, 100}, {312, 212}},
      {{300, 200, 800, -1}, 6, {2000, 5000}, {812, 5000}},
      {{300, 200, 800, -1}, 6, {500, 300}, {500, 300}},
      {{-1, -1, 800, 600}, 0, {10, 10}, {10, 10}},
      {{-1, -1, 800, 600}, 0, {900, 700}, {800, 600}},
      {{0, 0, -1, -1}, 0, {-5, 7}, {0, 7}},
      {{300, 200, 250, 150}, 0, {100, 100}, {250, 150}},
      {{300, 200, 250, 150}, 2, {100, 100}, {254, 154}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.proposed.width) + "x" + std::to_string(c.proposed.height));
    const WindowSize size = LimitSize(c.proposed, c.limits, c.border);
    EXPECT_EQ(size.width, c.expected.width);
    EXPECT_EQ(size.height, c.expected.height);
  }
}

TEST(WindowGeometry, ContentPlacedOnTheScreenGetsTheBorderBandAround) {
  const int32_t centred600x400[4] = {-1, -1, 600, 400};
  const int32_t topLeft[4] = {0x00000010, 0x00000020, 300, 200};
  struct Case {
    const int32_t* words;
    int32_t border;
    ElementRect expected;
  };
  const Case cases[] = {
      {centred600x400, 6, {654, 334, 1266, 746}},
      {centred600x400, 0, {660, 340, 1260, 740}},
      {topLeft, 6, {10, 26, 322, 238}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.border);
    const ElementRect placed = PlaceContentOnScreen(1920, 1080, LayoutFromWords(c.words), c.border);
    EXPECT_EQ(placed.left, c.expected.left);
    EXPECT_EQ(placed.top, c.expected.top);
    EXPECT_EQ(placed.right, c.expected.right);
    EXPECT_EQ(placed.bottom, c.expected.bottom);
  }
}

TEST(WindowGeometry, AutomaticKeysComeFromTheHandle) {
  struct Case {
    uint64_t handle;
    int32_t key;
  };
  const Case cases[] = {
      {0x0, 0x10000000},
      {0x1234, 0x10001234},
      {0x000A00C2, 0x100A00C2},
      {0x80000000, static_cast<int32_t>(0x90000000u)},
      {0x1FFFF0000ull, static_cast<int32_t>(0x0FFF0000u)},  // kept to 32 bits
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.handle);
    EXPECT_EQ(AutomaticWindowKey(c.handle), c.key);
  }
}

TEST(WindowCaption, CaptionAndSubCaptionMakeTheWindowText) {
  struct Case {
    const char16_t* caption;
    const char16_t* subCaption;
    std::u16string expected;
  };
  const Case cases[] = {
      {u"Setup", u"Step 2", u"Setup - Step 2"},
      {u"", u"Step 2", u"Step 2"},
      {u"Setup", u"", u"Setup"},
      {u"", u"", u""},
      {nullptr, nullptr, u""},
      {u"安装", u"第二步", u"安装 - 第二步"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(&c - cases);
    EXPECT_EQ(std::u16string(ComposeWindowText(c.caption, c.subCaption).Units()), c.expected);
  }
}

struct FakeElement {
  bool visible;
  ElementRect rect;
};

TEST(ElementOrder, TheTopmostVisibleElementUnderThePointIsHit) {
  std::map<int32_t, std::unique_ptr<FakeElement>> tree;
  tree[0] = std::make_unique<FakeElement>(FakeElement{true, {0, 0, 100, 100}});
  tree[1] = std::make_unique<FakeElement>(FakeElement{true, {10, 10, 60, 60}});
  tree[2] = std::make_unique<FakeElement>(FakeElement{true, {20, 20, 40, 40}});
  tree[5] = nullptr;  // an entry without an element
  struct Case {
    int32_t x;
    int32_t y;
    bool key2Visible;
    int32_t expected;
  };
  const Case cases[] = {
      {30, 30, true, 2},  {30, 30, false, 1}, {50, 50, true, 1},
      {5, 5, true, 0},    {100, 5, true, -1}, {-1, -1, true, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
    tree[2]->visible = c.key2Visible;
    const int32_t x = c.x, y = c.y;
    EXPECT_EQ(TopmostKey(tree,
                         [x, y](const FakeElement& element) {
                           return element.visible && RectContains(element.rect, x, y);
                         }),
              c.expected);
  }
  EXPECT_EQ(TopmostKey(std::map<int32_t, std::unique_ptr<FakeElement>>{},
                       [](const FakeElement&) { return true; }),
            -1);
}

}  // namespace
