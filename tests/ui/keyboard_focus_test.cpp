#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/focus_order.h"
#include "ui/focus_ring_geometry.h"
#include "ui/key_command.h"

namespace {

TEST(FocusOrder, TabGoesRoundPassingOverWhatCannotTakeTheFocus) {
  // Keys 9, 11, 8, 6, 2 in tab order; 6 is hidden.
  const std::vector<FocusStop> stops = {{9, true}, {11, true}, {8, true}, {6, false}, {2, true}};
  struct Case {
    const char* name;
    int32_t current;
    bool backwards;
    int32_t expected;
  };
  const std::vector<Case> cases = {
      {"forwards", 9, false, 11},
      {"over the hidden one", 8, false, 2},
      {"round from the last", 2, false, 9},
      {"backwards", 11, true, 9},
      {"backwards round from the first", 9, true, 2},
      {"backwards over the hidden one", 2, true, 8},
      {"from the hidden one", 6, false, 2},
      {"from none", -1, false, 9},
      {"backwards from none", -1, true, 2},
      {"from an element outside the order", 0, false, 9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(NextFocusKey(stops, c.current, c.backwards), c.expected);
  }
  EXPECT_EQ(NextFocusKey({{4, true}}, 4, false), 4);
  EXPECT_EQ(NextFocusKey({{4, false}, {5, false}}, 4, false), -1);
  EXPECT_EQ(NextFocusKey({}, -1, true), -1);
}

TEST(KeyCommand, KeysDoWhatStandardControlsDo) {
  using K = KeyCommand;
  using F = FocusKind;
  struct Case {
    const char* name;
    KeyPress press;
    FocusKind focused;
    KeyCommand expected;
  };
  const std::vector<Case> cases = {
      {"Tab", {kKeyTab, false, false, false}, F::kNone, K::kFocusNext},
      {"Shift+Tab", {kKeyTab, true, false, false}, F::kButton, K::kFocusPrevious},
      {"Tab held", {kKeyTab, false, false, true}, F::kButton, K::kFocusNext},
      {"Space on a button", {kKeySpace, false, false, false}, F::kButton, K::kActivate},
      {"Space on a link", {kKeySpace, false, false, false}, F::kLink, K::kActivate},
      {"Space on a check box", {kKeySpace, false, false, false}, F::kCheckBox, K::kActivate},
      {"Space on nothing", {kKeySpace, false, false, false}, F::kNone, K::kNone},
      {"Space held", {kKeySpace, false, false, true}, F::kCheckBox, K::kNone},
      {"Enter on a button", {kKeyReturn, false, false, false}, F::kButton, K::kActivate},
      {"Enter on a link", {kKeyReturn, false, false, false}, F::kLink, K::kActivate},
      {"Enter on a check box", {kKeyReturn, false, false, false}, F::kCheckBox,
       K::kActivateDefault},
      {"Enter on nothing", {kKeyReturn, false, false, false}, F::kNone, K::kActivateDefault},
      {"Enter held", {kKeyReturn, false, false, true}, F::kButton, K::kNone},
      {"Esc", {kKeyEscape, false, false, false}, F::kNone, K::kClose},
      {"Alt+Tab is the system's", {kKeyTab, false, true, false}, F::kButton, K::kNone},
      {"so is Alt+Space", {kKeySpace, false, true, false}, F::kButton, K::kNone},
      {"Alt+F4 too: it comes as the system's close", {0x73, false, true, false}, F::kButton,
       K::kNone},
      {"a letter", {'A', false, false, false}, F::kButton, K::kNone},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(CommandForKey(c.press, c.focused), c.expected);
  }
}

std::string Text(const ElementRect& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
         "," + std::to_string(r.bottom);
}

TEST(FocusRingGeometry, TwoBandsJustOutsideTheElementCutToTheContent) {
  const ElementRect content{0, 0, 600, 400};
  const FocusRing ring = FocusRingAround({100, 50, 150, 70}, 96, content);
  // The inner band is the first pixel around, the outer one the two beyond.
  const std::vector<std::string> inner = {"99,49,151,50", "99,70,151,71", "99,50,100,70",
                                          "150,50,151,70"};
  const std::vector<std::string> outer = {"97,47,153,49", "97,71,153,73", "97,49,99,71",
                                          "151,49,153,71"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(Text(ring.inner.strips[i]), inner[i]);
    EXPECT_EQ(Text(ring.outer.strips[i]), outer[i]);
  }
  // At 200 % the bands are twice as wide.
  const FocusRing wide = FocusRingAround({100, 50, 150, 70}, 192, content);
  EXPECT_EQ(Text(wide.inner.strips[0]), "98,48,152,50");
  EXPECT_EQ(Text(wide.outer.strips[0]), "94,44,156,48");
  // In the corner of the content, what lies outside it is cut away.
  const FocusRing corner = FocusRingAround({1, 0, 20, 10}, 96, content);
  EXPECT_TRUE(IsEmptyRect(corner.inner.strips[0]));
  EXPECT_TRUE(IsEmptyRect(corner.outer.strips[0]));
  EXPECT_EQ(Text(corner.inner.strips[2]), "0,0,1,10");
  EXPECT_EQ(Text(corner.outer.strips[2]), "0,0,0,0");
  EXPECT_EQ(Text(corner.outer.strips[1]), "0,11,23,13");
}

}  // namespace
