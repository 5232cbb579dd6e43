#include "ui/layer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// An element that records the key handlers its hot keys reach and the rectangle changes.
class RecordingLayer : public CLayer {
 public:
  RecordingLayer() : CLayer(kLayerImage) {}
  using CLayer::fade_;

  bool OnKeyDown(int32_t key, uint32_t flags, int32_t) override {
    calls.push_back("down " + std::to_string(key) + " " + std::to_string(flags));
    return true;
  }
  bool OnKeyUp(int32_t key, uint32_t flags, int32_t) override {
    calls.push_back("up " + std::to_string(key) + " " + std::to_string(flags));
    return false;
  }
  void OnRectChanged() override { calls.push_back("rect"); }

  std::vector<std::string> calls;
};

TEST(Layer, HotKeysReachTheKeyHandlersOncePerHold) {
  RecordingLayer layer;
  EXPECT_TRUE(layer.OnHotKeyDown('A', 3));
  EXPECT_TRUE(layer.OnHotKeyDown('A', 3));  // the system's repeat
  EXPECT_TRUE(layer.OnHotKeyDown('B', 4));  // another key ends the first hold
  EXPECT_FALSE(layer.OnHotKeyUp('B', 5));
  EXPECT_TRUE(layer.OnHotKeyDown('B', 6));
  const std::vector<std::string> expected = {"down 65 3", "up 65 0", "down 66 4", "up 66 5",
                                             "down 66 6"};
  EXPECT_EQ(layer.calls, expected);
}

TEST(Layer, MouseInputFadesBetweenStatesAndShowsTheCursorOfItsKind) {
  RecordingLayer layer;
  layer.SetCursorKind(1);
  layer.SetDirty(false);
  HCURSOR before = SetCursor(LoadCursorW(nullptr, IDC_ARROW));

  EXPECT_FALSE(layer.OnMouse(WM_MOUSEHOVER, 1, 1, 0));
  EXPECT_EQ(layer.GetState(), kStateHover);
  EXPECT_EQ(layer.fade_.previousState, kStateNormal);
  EXPECT_TRUE(layer.IsDirty());
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));

  EXPECT_FALSE(layer.OnMouse(WM_LBUTTONDOWN, 1, 1, MK_LBUTTON));
  EXPECT_EQ(layer.GetState(), kStatePressed);
  EXPECT_EQ(layer.fade_.previousState, kStateHover);
  // Released 100 ms into the press fade: the new fade starts from what the old had left.
  layer.fade_.progress = 127;
  EXPECT_FALSE(layer.OnMouse(WM_LBUTTONUP, 1, 1, 0));
  EXPECT_EQ(layer.GetState(), kStateHover);
  EXPECT_EQ(layer.fade_.progress, 128);

  EXPECT_FALSE(layer.OnMouse(WM_MOUSELEAVE, 1, 1, 0));
  EXPECT_EQ(layer.GetState(), kStateNormal);
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));
  EXPECT_FALSE(layer.OnMouse(WM_MOUSEMOVE, 1, 1, 0));
  EXPECT_EQ(layer.GetState(), kStateNormal);
  SetCursor(before);

  struct Case {
    int32_t kind;
    const wchar_t* cursor;
  };
  const Case cases[] = {{0, IDC_ARROW}, {1, IDC_HAND}, {2, IDC_IBEAM}, {7, IDC_ARROW}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    layer.SetCursorKind(c.kind);
    EXPECT_EQ(layer.LoadStateCursor(), LoadCursorW(nullptr, c.cursor));
  }
}

TEST(Layer, RelayoutPlacesTheLayoutRecordThroughSetRect) {
  RecordingLayer layer;
  EXPECT_EQ(layer.GetId(), -1);
  EXPECT_EQ(layer.GetColor(), 0xFFFFFFu);
  EXPECT_EQ(layer.GetFrameCount(), 1);
  EXPECT_TRUE(layer.IsVisible() && layer.IsDirty() && layer.IsBlended());

  layer.SetLayout(LayoutRecord{-1, 0, 5, 0, 20, 10, 16, 0});
  layer.Relayout(RECT{0, 0, 600, 400});
  RECT placed = layer.GetRect();
  EXPECT_EQ(placed.left, 570);
  EXPECT_EQ(placed.top, 5);
  EXPECT_EQ(placed.right, 590);
  EXPECT_EQ(placed.bottom, 21);
  EXPECT_EQ(layer.calls, std::vector<std::string>{"rect"});
  EXPECT_TRUE(layer.HitTest(570, 5));
  EXPECT_FALSE(layer.HitTest(590, 10));
  EXPECT_FALSE(layer.HitTest(580, 21));

  layer.SetText(u"中文");
  EXPECT_EQ(std::u16string(layer.GetText()), u"中文");
  layer.SetText(nullptr);
  EXPECT_EQ(std::u16string(layer.GetText()), u"");
}

}  // namespace
