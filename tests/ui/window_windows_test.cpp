#include "ui/window.h"

#include <gtest/gtest.h>
#include <dwmapi.h>
#include <imm.h>

#include <string>
#include <utility>
#include <vector>

#include "draw/image.h"
#include "ui/controls/focus_ring_ui.h"
#include "ui/controls/image_ui.h"
#include "draw/render.h"
#include "ui/cursor_kind.h"
#include "ui/direct_ui.h"
#include "ui/tray_position.h"
#include "ui/window_globals.h"
#include "ui/window_map.h"
#include "tests/helpers/stand_in_main_window.h"

namespace {

// An element that records the mouse messages it hears and whether it still exists.
class RecordingElement : public CLayer {
 public:
  RecordingElement(std::vector<UINT>* heard, bool* alive)
      : CLayer(kLayerFill), heard_(heard), alive_(alive) {
    *alive_ = true;
  }
  ~RecordingElement() override { *alive_ = false; }

  bool OnMouse(uint32_t message, int32_t x, int32_t y, uint32_t keyState) override {
    heard_->push_back(message);
    return CLayer::OnMouse(message, x, y, keyState);
  }

 private:
  std::vector<UINT>* heard_;
  bool* alive_;
};

// The window under test: it keeps the WM_COMMAND messages it receives and the menu commands
// they become.
class TestWindow : public CDirectUI {
 public:
  LRESULT HandleMessage(HWND window, UINT message, WPARAM w, LPARAM l) override {
    if (message == WM_COMMAND) commands.emplace_back(w, l);
    return CDirectUI::HandleMessage(window, message, w, l);
  }
  bool OnMenuCommand(int32_t id) override {
    menuCommands.push_back(id);
    return true;
  }

  std::vector<std::pair<WPARAM, LPARAM>> commands;
  std::vector<int32_t> menuCommands;
};

// What the element handler table heard, as "pressed 3", "released 4", "clicked 4" by key.
std::vector<std::string> g_elementEvents;

void RecordEvent(const char* what, ILayer* element) {
  g_elementEvents.push_back(std::string(what) + " " + std::to_string(element->GetId()));
}

const ElementHandlers kRecordingHandlers = {
    [](IWindow*, ILayer* element) { RecordEvent("pressed", element); },
    [](IWindow*, ILayer* element) { RecordEvent("released", element); },
    [](IWindow*, ILayer* element) { RecordEvent("clicked", element); },
    nullptr,
    nullptr,
    nullptr,
};

LayoutRecord LayoutAt(int16_t left, int16_t top, int16_t width, int16_t height) {
  return LayoutRecord{left, 0, top, 0, width, 0, height, 0};
}

LPARAM Point(int x, int y) { return MAKELPARAM(x, y); }

void Click(HWND window, int downX, int downY, int upX, int upY) {
  SendMessageW(window, WM_MOUSEMOVE, 0, Point(downX, downY));
  SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, Point(downX, downY));
  SendMessageW(window, WM_MOUSEMOVE, MK_LBUTTON, Point(upX, upY));
  SendMessageW(window, WM_LBUTTONUP, 0, Point(upX, upY));
}

// Takes a message of the given id for window out of the queue; true when there was one.
bool TakePosted(HWND window, UINT message, MSG* taken) {
  return PeekMessageW(taken, window, message, message, PM_REMOVE) != FALSE;
}

class WindowFramework : public ::testing::Test {
 protected:
  void SetUp() override { g_elementEvents.clear(); }

  // A popup at (100, 100) of width x height, without border or blur: its content is its whole
  // client area. Hidden unless asked, since showing and hiding a window without a window manager
  // costs the X driver a wait.
  static void Open(CWindow& window, int width, int height, DWORD visible = 0) {
    ASSERT_TRUE(window.Create(WS_POPUP | visible, 0, nullptr, GetModuleHandleW(nullptr)));
    window.SetBlur(false);
    ASSERT_TRUE(window.Move(100, 100, width, height));
  }

  // Adds a fill element at the rectangle; its key.
  static int32_t AddFill(CDirectUI& window, int16_t left, int16_t top, int16_t width,
                         int16_t height, uint32_t color) {
    int32_t key = window.CreateAndAddElement(kLayerFill);
    EXPECT_NE(key, -1);
    window.SetElementLayout(key, LayoutAt(left, top, width, height));
    window.FindElement(key)->SetColor(color);
    return key;
  }

  StandInMainWindow standIn_;
};

TEST_F(WindowFramework, CreateMakesTheWindowOnceAndAFactoryMakesTheControls) {
  TestWindow window;
  Open(window, 200, 150);
  HWND first = window.GetHwnd();
  EXPECT_FALSE(window.Create(WS_POPUP, 0, nullptr, GetModuleHandleW(nullptr)));
  EXPECT_EQ(window.GetHwnd(), first);
  EXPECT_FALSE(window.HasStyle(WS_CAPTION));
  EXPECT_TRUE(window.HasExStyle(WS_EX_APPWINDOW));
  EXPECT_EQ(g_mainWindow, standIn_.Handle());

  TestWindow owned;
  EXPECT_FALSE(owned.Create(WS_POPUP, 0, nullptr, nullptr));  // no module, no owner
  EXPECT_TRUE(owned.Create(WS_POPUP, 0, first, nullptr));     // the owner's module
  EXPECT_EQ(owned.GetOwnerHwnd(), first);

  struct Case {
    int32_t type;
    int32_t drawnAs;  // the type code the control reports
  };
  const Case cases[] = {{kLayerFill, kLayerText},   {kLayerText, kLayerText},
                        {kLayerEdit, kLayerEdit},   {kLayerImage, kLayerImage},
                        {kLayerButton, kLayerButton}, {kLayerCheck, kLayerCheck},
                        {kLayerProgress, kLayerButton}, {9, 9}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    int32_t key = window.CreateAndAddElement(c.type);
    ASSERT_NE(key, -1);
    EXPECT_EQ(window.FindElement(key)->GetType(), c.drawnAs);
    EXPECT_EQ(window.FindElement(key)->GetOwner(), &window);
  }
  // A new element covers the content until it is given a layout.
  RECT rect = window.FindElement(0)->GetRect();
  EXPECT_EQ(rect.right - rect.left, 200);
  EXPECT_EQ(rect.bottom - rect.top, 150);
}

TEST_F(WindowFramework, CaptionAndSubCaptionBecomeTheWindowText) {
  TestWindow window;
  Open(window, 100, 100);
  char16_t text[64];
  window.SetCaption(u"Setup");
  window.SetSubCaption(u"Step 2");
  ASSERT_TRUE(window.GetTitleText(text, 64));
  EXPECT_EQ(std::u16string(text), u"Setup - Step 2");
  window.SetCaption(u"");
  window.GetTitleText(text, 64);
  EXPECT_EQ(std::u16string(text), u"Step 2");
}

TEST_F(WindowFramework, TheTopmostVisibleElementIsHit) {
  TestWindow window;
  Open(window, 200, 150);
  EXPECT_EQ(window.HitTestElements(10, 10), -1);
  ASSERT_EQ(AddFill(window, 0, 0, 200, 150, 0), 0);
  ASSERT_EQ(AddFill(window, 10, 10, 100, 100, 0), 1);
  ASSERT_EQ(AddFill(window, 20, 20, 50, 50, 0), 2);
  struct Case {
    int32_t x;
    int32_t y;
    bool key2Visible;
    int32_t expected;
  };
  const Case cases[] = {{30, 30, true, 2}, {30, 30, false, 1}, {90, 90, true, 1},
                        {5, 5, true, 0},   {70, 30, true, 1},  {250, 30, true, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
    window.FindElement(2)->SetVisible(c.key2Visible);
    EXPECT_EQ(window.HitTestElements(c.x, c.y), c.expected);
  }
  // Keys are never used twice, also not after every element is gone.
  window.RemoveAllElements(false);
  EXPECT_EQ(window.GetElementCount(), 0);
  EXPECT_EQ(window.CreateAndAddElement(kLayerFill), 3);
  EXPECT_EQ(window.AddElementAt(3, window.CreateElement(kLayerFill)), -1);
}

TEST_F(WindowFramework, ClicksBecomeCommandsOnlyOverThePressedElement) {
  TestWindow window;
  Open(window, 200, 150);
  window.SetElementHandlers(&kRecordingHandlers);
  AddFill(window, 0, 0, 200, 150, 0);     // key 0: the background, which drags the window
  AddFill(window, 10, 10, 40, 40, 0);     // key 1
  AddFill(window, 100, 10, 40, 40, 0);    // key 2
  window.FindElement(1)->SetId(4103);
  window.FindElement(2)->SetId(-1);
  HWND hwnd = window.GetHwnd();

  struct Case {
    const char* name;
    int downX, downY, upX, upY;
    std::vector<int32_t> commands;
    std::vector<std::string> events;
  };
  const Case cases[] = {
      {"click on 4103", 20, 20, 30, 30, {4103}, {"pressed 4103", "released 4103"}},
      {"press on 4103, release on the other", 20, 20, 110, 20, {}, {"pressed 4103", "released -1"}},
      {"press on the other, release on 4103", 110, 20, 20, 20, {}, {"pressed -1", "released 4103"}},
      {"click on an element with id -1", 110, 20, 120, 30, {},
       {"pressed -1", "released -1", "clicked -1"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    window.commands.clear();
    window.menuCommands.clear();
    g_elementEvents.clear();
    Click(hwnd, c.downX, c.downY, c.upX, c.upY);
    EXPECT_EQ(window.menuCommands, c.commands);
    EXPECT_EQ(g_elementEvents, c.events);
    EXPECT_EQ(GetCapture(), nullptr);
    if (!c.commands.empty()) {
      ASSERT_EQ(window.commands.size(), 1u);
      EXPECT_EQ(window.commands[0].first, 4103u);
      EXPECT_EQ(window.commands[0].second, reinterpret_cast<LPARAM>(window.FindElement(1)));
    }
  }

  // Pressing the background starts the system's move of the window.
  SendMessageW(hwnd, WM_MOUSEMOVE, 0, Point(180, 130));
  SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, Point(180, 130));
  MSG drag;
  ASSERT_TRUE(TakePosted(hwnd, WM_NCLBUTTONDOWN, &drag));
  EXPECT_EQ(drag.wParam, static_cast<WPARAM>(HTCAPTION));
  EXPECT_EQ(GetCapture(), nullptr);
  SendMessageW(hwnd, WM_LBUTTONUP, 0, Point(180, 130));
}

TEST_F(WindowFramework, HoverEndsWhenTheMouseLeavesTheWindowOrTheElementGoes) {
  TestWindow window;
  Open(window, 200, 150);
  std::vector<UINT> backHeard, frontHeard;
  bool backAlive = false, frontAlive = false;
  ASSERT_EQ(window.AddElement(new RecordingElement(&backHeard, &backAlive)), 0);
  ASSERT_EQ(window.AddElement(new RecordingElement(&frontHeard, &frontAlive)), 1);
  window.SetElementLayout(1, LayoutAt(50, 50, 50, 50));
  HWND hwnd = window.GetHwnd();

  // The mouse leaving the window leaves the element under it too; back, it hovers again.
  SendMessageW(hwnd, WM_MOUSEMOVE, 0, Point(60, 60));
  SendMessageW(hwnd, WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(frontHeard, (std::vector<UINT>{WM_MOUSEHOVER, WM_MOUSEMOVE, WM_MOUSELEAVE}));
  frontHeard.clear();
  SendMessageW(hwnd, WM_MOUSEMOVE, 0, Point(60, 60));
  EXPECT_EQ(frontHeard, (std::vector<UINT>{WM_MOUSEHOVER, WM_MOUSEMOVE}));
  ASSERT_TRUE(window.RemoveElement(1, true));
  EXPECT_FALSE(window.RemoveElement(1, true));
  EXPECT_TRUE(frontAlive);  // kept in the removed list
  SendMessageW(hwnd, WM_MOUSEMOVE, 0, Point(61, 61));
  EXPECT_EQ(frontHeard, (std::vector<UINT>{WM_MOUSEHOVER, WM_MOUSEMOVE}));
  EXPECT_EQ(backHeard, (std::vector<UINT>{WM_MOUSEHOVER, WM_MOUSEMOVE}));
  window.PurgeRemovedElements();
  EXPECT_FALSE(frontAlive);
  EXPECT_TRUE(backAlive);
  window.Destroy();
  EXPECT_FALSE(backAlive);
}

TEST_F(WindowFramework, KeyboardInputWithoutAFocusElementCountsAsHandled) {
  TestWindow window;
  Open(window, 100, 100);
  EXPECT_TRUE(window.RouteInput(window.GetHwnd(), WM_KEYDOWN, 'A', 0));
  EXPECT_TRUE(window.RouteInput(window.GetHwnd(), WM_CHAR, 'a', 0));
  window.CreateAndAddElement(kLayerFill);  // takes the focus; it does not want keys
  EXPECT_FALSE(window.RouteInput(window.GetHwnd(), WM_KEYDOWN, 'A', 0));
  EXPECT_FALSE(window.RouteInput(window.GetHwnd(), WM_NULL, 0, 0));
}

// An element that records the keys it is given.
class KeyElement : public CLayer {
 public:
  KeyElement() : CLayer(kLayerFill) {}
  bool OnKeyDown(int32_t key, uint32_t, int32_t) override {
    keys.push_back(key);
    return true;
  }
  std::vector<int32_t> keys;
};

TEST_F(WindowFramework, HotKeysReachTheElementWhoseKeyTheirIdCarries) {
  TestWindow window;
  Open(window, 100, 100);
  auto* first = new KeyElement();
  auto* second = new KeyElement();
  window.AddElement(first);   // key 0
  window.AddElement(second);  // key 1, and the focus
  HWND hwnd = window.GetHwnd();
  struct Case {
    bool forward;
    WPARAM hotKeyId;
    UINT virtualKey;
    std::vector<int32_t> firstKeys;
    std::vector<int32_t> secondKeys;
  };
  const Case cases[] = {
      {true, MAKEWPARAM(9, 0), 'A', {'A'}, {}},
      {true, MAKEWPARAM(9, 1), 'B', {'A'}, {'B'}},
      {false, MAKEWPARAM(9, 0), 'C', {'A'}, {'B'}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.virtualKey);
    g_forwardHotKeys = c.forward;
    SendMessageW(hwnd, WM_HOTKEY, c.hotKeyId, MAKELPARAM(MOD_CONTROL, c.virtualKey));
    MSG forwarded;
    const bool posted = TakePosted(hwnd, kHotKeyDownMessage, &forwarded);
    EXPECT_EQ(posted, c.forward);
    if (posted) {
      EXPECT_EQ(forwarded.wParam, MAKEWPARAM(c.virtualKey, HIWORD(c.hotKeyId)));
      DispatchMessageW(&forwarded);
    }
    EXPECT_EQ(first->keys, c.firstKeys);
    EXPECT_EQ(second->keys, c.secondKeys);
  }
  g_forwardHotKeys = true;
  // Ordinary keys go to the focus element.
  SendMessageW(hwnd, WM_KEYDOWN, 'Z', 0);
  EXPECT_EQ(second->keys, (std::vector<int32_t>{'B', 'Z'}));
}

TEST_F(WindowFramework, OnlyADirtyVisibleElementCausesAPaint) {
  TestWindow window;
  Open(window, 100, 100);
  EXPECT_FALSE(window.PaintNow());  // no elements
  int32_t key = AddFill(window, 0, 0, 100, 100, 0xFF102030);
  ILayer* element = window.FindElement(key);
  struct Case {
    bool visible;
    bool dirty;
    bool paints;
  };
  const Case cases[] = {{true, true, true}, {true, false, false}, {false, true, false},
                        {true, true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.visible) + std::to_string(c.dirty));
    element->SetVisible(c.visible);
    element->SetDirty(c.dirty);
    EXPECT_EQ(window.PaintNow(), c.paints);
  }
  EXPECT_FALSE(element->IsDirty());  // drawn
  EXPECT_FALSE(window.PaintNow());
}

// Dispatches what is waiting, then what arrives within a tenth of a second.
void PumpMessages() {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 100) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    Sleep(10);
  }
}

// An element that declines the input method, as a password field would.
class NoImeElement : public CLayer {
 public:
  NoImeElement() : CLayer(kLayerFill) {}
  bool WantsIme() override { return false; }
};

TEST_F(WindowFramework, PressingAnElementGivesTheInputMethodItWants) {
  TestWindow window;
  Open(window, 200, 100);
  window.CreateAndAddElement(kLayerEdit);  // key 0, wants the input method
  window.SetElementLayout(0, LayoutAt(0, 0, 100, 100));
  window.AddElement(new NoImeElement());  // key 1
  window.SetElementLayout(1, LayoutAt(100, 0, 100, 100));
  HWND hwnd = window.GetHwnd();
  auto attached = [hwnd] {
    HIMC context = ImmGetContext(hwnd);
    if (context != nullptr) ImmReleaseContext(hwnd, context);
    return context != nullptr;
  };
  ASSERT_TRUE(attached());
  struct Case {
    int x;
    bool attached;
  };
  const Case cases[] = {{150, false}, {160, false}, {50, true}, {150, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.x);
    Click(hwnd, c.x, 50, c.x, 50);
    EXPECT_EQ(attached(), c.attached);
  }
}

TEST_F(WindowFramework, ContentThatNoElementCanLoadLeavesTheWindowPainting) {
  TestWindow window;
  Open(window, 200, 100);
  EXPECT_FALSE(window.LoadFirstContent1(nullptr));
  EXPECT_EQ(window.GetElementCount(), 0);
  EXPECT_FALSE(window.LoadFirstContent1(u"page"));
  EXPECT_EQ(window.GetElementCount(), 1);  // the plain element made to hold it
  EXPECT_TRUE(window.PaintNow());
  EXPECT_EQ(window.CreateContent2(nullptr, LayoutAt(0, 0, 10, 10)), -1);
  EXPECT_EQ(window.CreateContent2(u"page", LayoutAt(5, 6, 10, 10)), 1);
  RECT rect = window.FindElement(1)->GetRect();
  EXPECT_EQ(rect.left, 5);
  EXPECT_EQ(rect.bottom, 16);
  EXPECT_TRUE(window.PaintNow());
  EXPECT_EQ(window.RunElementScript1(-1, u"script", 0), 0);
}

// Whether the system's composition library blurs behind window.
bool SystemBlursBehind(HWND window) {
  HMODULE library = LoadLibraryExW(L"dwmapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (library == nullptr) return false;
  using BlurBehind = HRESULT(WINAPI*)(HWND, const DWM_BLURBEHIND*);
  auto blurBehind = reinterpret_cast<BlurBehind>(
      reinterpret_cast<void*>(GetProcAddress(library, "DwmEnableBlurBehindWindow")));
  DWM_BLURBEHIND record{};
  record.dwFlags = DWM_BB_ENABLE;
  const bool blurs = blurBehind != nullptr && blurBehind(window, &record) == S_OK;
  FreeLibrary(library);
  return blurs;
}

TEST_F(WindowFramework, WithoutBlurTheWindowFallsBackToLayering) {
  TestWindow window;
  ASSERT_TRUE(window.Create(WS_POPUP, 0, nullptr, GetModuleHandleW(nullptr)));
  ASSERT_TRUE(window.IsBlur());
  EXPECT_FALSE(window.HasExStyle(WS_EX_LAYERED));
  window.Move(0, 0, 100, 100);  // the first WM_SIZE
  EXPECT_EQ(window.HasExStyle(WS_EX_LAYERED), !SystemBlursBehind(window.GetHwnd()));
}

// The colour of the screen at the window's client point.
COLORREF ScreenPixel(HWND window, int x, int y) {
  POINT point{x, y};
  ClientToScreen(window, &point);
  HDC screen = GetDC(nullptr);
  COLORREF color = GetPixel(screen, point.x, point.y);
  ReleaseDC(nullptr, screen);
  return color;
}

TEST_F(WindowFramework, PaintPutsTheComposedFrameOnTheScreen) {
  // An opaque picture: blue on the left half, green on the right.
  constexpr int kWidth = 120, kHeight = 80;
  std::vector<uint32_t> picture(kWidth * kHeight);
  for (int i = 0; i < kWidth * kHeight; ++i) {
    picture[i] = i % kWidth < kWidth / 2 ? 0xFF2040C0u : 0xFF30A050u;
  }
  struct Case {
    const char* name;
    bool layered;
  };
  const Case cases[] = {{"layered", true}, {"blitted", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestWindow window;
    Open(window, kWidth, kHeight, WS_VISIBLE);
    window.SetLayered(c.layered);
    EXPECT_EQ(window.HasExStyle(WS_EX_LAYERED), c.layered);
    const int32_t key = window.CreateAndAddElement(kLayerImage);
    auto* element = static_cast<CImageUI*>(window.FindElement(key));
    ASSERT_TRUE(element->image.Create(kWidth, kHeight, 32, picture.data()));
    ASSERT_TRUE(window.PaintNow());
    const uint32_t* pixels =
        reinterpret_cast<const uint32_t*>(window.GetRender()->GetTarget()->GetBits());
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(pixels[10 * kWidth + 10], 0xFF2040C0u);
    EXPECT_EQ(pixels[10 * kWidth + 90], 0xFF30A050u);
    // The system may have lost what was drawn before the window was on the screen; it asks for
    // the frame again, which the window gives although nothing changed.
    PumpMessages();
    EXPECT_EQ(ScreenPixel(window.GetHwnd(), 10, 10), RGB(0x20, 0x40, 0xC0));
    EXPECT_EQ(ScreenPixel(window.GetHwnd(), 90, 70), RGB(0x30, 0xA0, 0x50));
  }
}

TEST_F(WindowFramework, ContentRectLeavesTheBorderBandOut) {
  TestWindow window;
  Open(window, 612, 412);
  CImage border;
  ASSERT_TRUE(border.Create(18, 18, 32, nullptr));
  window.SetBorder(&border, 6, false);
  window.SetLayered(true);
  RECT content{};
  ASSERT_TRUE(window.GetContentRect(&content));
  EXPECT_EQ(content.left, 6);
  EXPECT_EQ(content.top, 6);
  EXPECT_EQ(content.right, 606);
  EXPECT_EQ(content.bottom, 406);

  // Placed and centred content gets the border band around it.
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  RECT frame{};
  ASSERT_TRUE(window.PlaceOnScreenValues(-1, -1, 600, 400));
  ASSERT_TRUE(window.GetFrameRect(&frame));
  EXPECT_EQ(frame.left, (screenWidth - 600) / 2 - 6);
  EXPECT_EQ(frame.top, (screenHeight - 400) / 2 - 6);
  EXPECT_EQ(frame.right - frame.left, 612);
  EXPECT_EQ(frame.bottom - frame.top, 412);
  window.CentreOn(nullptr, 300, 200);
  ASSERT_TRUE(window.GetFrameRect(&frame));
  EXPECT_EQ(frame.left, (screenWidth - 312) / 2);
  EXPECT_EQ(frame.right - frame.left, 312);
  EXPECT_EQ(frame.bottom - frame.top, 212);

  // Size limits grow by the border band on both sides.
  window.SetMinSize(300, 200);
  window.SetMaxSize(800, -1);
  struct Case {
    int width, height, expectedWidth, expectedHeight;
  };
  const Case cases[] = {{100, 100, 312, 212}, {2000, 3000, 812, 3000}, {500, 300, 500, 300}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.width);
    window.Move(0, 0, c.width, c.height);
    ASSERT_TRUE(window.GetFrameRect(&frame));
    EXPECT_EQ(frame.right - frame.left, c.expectedWidth);
    EXPECT_EQ(frame.bottom - frame.top, c.expectedHeight);
  }
}

TEST_F(WindowFramework, TheResizeGripShowsTheSizingCursors) {
  TestWindow window;
  Open(window, 200, 150);
  window.SetResizable(true);
  HWND hwnd = window.GetHwnd();
  HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  SetCursor(arrow);
  struct Case {
    int x, y;
    const wchar_t* cursor;
  };
  const Case cases[] = {{199, 149, IDC_SIZENWSE}, {198, 149, IDC_SIZENWSE},
                        {198, 10, IDC_SIZEWE},    {10, 148, IDC_SIZENS},
                        {50, 50, IDC_ARROW}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
    SendMessageW(hwnd, WM_MOUSEMOVE, 0, Point(c.x, c.y));
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, c.cursor));
  }
  window.SetResizable(false);
  SendMessageW(hwnd, WM_MOUSEMOVE, 0, Point(199, 149));
  EXPECT_EQ(GetCursor(), arrow);
}

TEST_F(WindowFramework, TheCursorOverAnElementIsTheElements) {
  TestWindow window;
  Open(window, 200, 100);
  window.CreateAndAddElement(kLayerImage);
  window.SetElementLayout(0, LayoutAt(0, 0, 100, 100));
  window.FindElement(0)->SetCursorKind(kCursorKindHand);
  HWND hwnd = window.GetHwnd();
  const LPARAM overClient = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);

  SendMessageW(hwnd, WM_MOUSEMOVE, 0, Point(50, 50));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
  SendMessageW(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), overClient);
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));

  SendMessageW(hwnd, WM_MOUSEMOVE, 0, Point(150, 50));  // the background
  SetCursor(LoadCursorW(nullptr, IDC_IBEAM));
  SendMessageW(hwnd, WM_SETCURSOR, reinterpret_cast<WPARAM>(hwnd), overClient);
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_ARROW));  // the class's
}

TEST_F(WindowFramework, AGripPressInAChildWindowAsksTheParentToSize) {
  HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 300, 300,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  TestWindow child;
  ASSERT_TRUE(child.Create(WS_CHILD | WS_VISIBLE, 0, parent, nullptr));
  child.Move(0, 0, 100, 100);
  child.SetResizable(true);
  SendMessageW(child.GetHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, Point(99, 99));
  MSG sizing;
  ASSERT_TRUE(TakePosted(parent, WM_NCLBUTTONDOWN, &sizing));
  EXPECT_EQ(sizing.wParam, static_cast<WPARAM>(HTBOTTOMRIGHT));
  EXPECT_EQ(sizing.lParam, Point(99, 99));
  child.Destroy();
  DestroyWindow(parent);
}

TEST_F(WindowFramework, TheMapOutlivesSecondaryWindowsAndEndsWithTheMain) {
  CWindowMap map;
  TestWindow primary, secondary;
  Open(primary, 100, 100);
  Open(secondary, 100, 100);
  g_mainWindow = primary.GetHwnd();
  const int32_t mainKey = map.Add(-1, &primary);
  EXPECT_EQ(mainKey,
            static_cast<int32_t>(reinterpret_cast<uintptr_t>(primary.GetHwnd()) + 0x10000000));
  EXPECT_EQ(primary.GetId(), mainKey);
  EXPECT_EQ(primary.GetMap(), &map);
  EXPECT_EQ(map.Add(mainKey, &secondary), -1);
  EXPECT_EQ(map.Find(mainKey), &primary);
  EXPECT_EQ(map.Add(7, nullptr), -1);
  ASSERT_EQ(map.Add(7, &secondary), 7);
  EXPECT_FALSE(map.Remove(8));

  // A window that refuses to close stays.
  const WindowHandlers refuse = {nullptr, nullptr, [](IWindow*) { return false; }};
  secondary.SetWindowHandlers(&refuse);
  SendMessageW(secondary.GetHwnd(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(secondary.GetHwnd()));
  secondary.SetWindowHandlers(nullptr);

  SendMessageW(secondary.GetHwnd(), WM_CLOSE, 0, 0);
  EXPECT_EQ(secondary.GetHwnd(), nullptr);
  EXPECT_EQ(map.Count(), 1);
  EXPECT_EQ(map.Find(7), nullptr);
  MSG quit;
  EXPECT_FALSE(TakePosted(nullptr, WM_QUIT, &quit));

  SendMessageW(primary.GetHwnd(), WM_CLOSE, 0, 0);
  EXPECT_EQ(map.Count(), 0);
  EXPECT_TRUE(TakePosted(nullptr, WM_QUIT, &quit));
}

TEST_F(WindowFramework, IdleAllRunsEveryWindowAndSaysWhetherAllAreIdle) {
  CWindowMap map;
  TestWindow first, second;
  Open(first, 50, 50);
  Open(second, 50, 50);
  map.Add(1, &first);
  map.Add(2, &second);
  static int idleCalls;
  idleCalls = 0;
  const WindowHandlers counting = {[](IWindow*) {
    ++idleCalls;
    return true;
  }};
  first.SetWindowHandlers(&counting);
  EXPECT_TRUE(map.IdleAll());
  AddFill(second, 0, 0, 50, 50, 0xFF000000);  // dirty: the second window paints
  EXPECT_FALSE(map.IdleAll());
  EXPECT_EQ(idleCalls, 2);
  EXPECT_TRUE(map.IdleAll());
  map.DestroyAllExcept(2);
  EXPECT_EQ(map.Count(), 1);
  EXPECT_EQ(first.GetHwnd(), nullptr);
  EXPECT_NE(second.GetHwnd(), nullptr);
  map.DestroyAll();
  EXPECT_EQ(map.Count(), 0);
  EXPECT_EQ(second.GetHwnd(), nullptr);
}

TEST_F(WindowFramework, RunModalReturnsTheEndValueAndPassesAQuitOn) {
  TestWindow window;
  Open(window, 50, 50);
  static int ticks;
  ticks = 0;
  const WindowHandlers ending = {[](IWindow* modal) {
    if (++ticks == 3) modal->EndModal(42);
    return true;
  }};
  window.SetWindowHandlers(&ending);
  EXPECT_EQ(window.RunModal(), 42);
  EXPECT_FALSE(window.IsModal());
  EXPECT_EQ(ticks, 3);

  window.SetWindowHandlers(nullptr);
  window.EndModal(5);
  PostQuitMessage(0);
  EXPECT_EQ(window.RunModal(), 5);
  MSG quit;
  EXPECT_TRUE(TakePosted(nullptr, WM_QUIT, &quit));
  EXPECT_TRUE(IsWindow(window.GetHwnd()));
}

// A tracker that counts its notifications.
class CountingTrayPos : public CTrayPos {
 public:
  ~CountingTrayPos() override { StopPolling(); }
  std::atomic<int> hovers{0};
  std::atomic<int> leaves{0};

 protected:
  void OnHover() override { ++hovers; }
  void OnLeave() override { ++leaves; }
};

TEST_F(WindowFramework, TheTrayTrackerReportsOneHoverAndOneLeave) {
  ASSERT_TRUE(SetCursorPos(20, 20));
  CountingTrayPos tracker;
  tracker.OnTrayMouseMove();
  tracker.OnTrayMouseMove();
  EXPECT_EQ(tracker.hovers.load(), 1);
  Sleep(1500);  // the cursor rests over the icon: no leave
  EXPECT_EQ(tracker.leaves.load(), 0);
  ASSERT_TRUE(SetCursorPos(300, 200));
  for (int waited = 0; waited < 5000 && tracker.leaves == 0; waited += 50) Sleep(50);
  EXPECT_EQ(tracker.leaves.load(), 1);
  EXPECT_EQ(tracker.hovers.load(), 1);
  tracker.OnTrayMouseMove();
  EXPECT_EQ(tracker.hovers.load(), 2);
}

}  // namespace

namespace {

constexpr UINT kTrayCallback = WM_APP + 7;
std::vector<std::pair<WPARAM, LPARAM>> g_trayMessages;
std::vector<uint32_t> g_timerTicks;

const WindowHandlers kTrayHandlers = {
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    [](IWindow*, uint32_t timerId) { g_timerTicks.push_back(timerId); },
    [](IWindow*, WPARAM w, LPARAM l) { g_trayMessages.emplace_back(w, l); },
};

TEST_F(WindowFramework, TheTrayEntryReportsHoverThroughItsCallbackMessage) {
  g_trayMessages.clear();
  g_timerTicks.clear();
  TestWindow window;
  Open(window, 50, 50);
  window.SetWindowHandlers(&kTrayHandlers);
  HICON icon = LoadIconW(nullptr, IDI_APPLICATION);
  EXPECT_FALSE(window.TrayModify(icon, nullptr));  // no entry yet
  EXPECT_FALSE(window.TrayRemove());
  EXPECT_FALSE(window.TrayAdd(0, icon, u"tip", kTrayCallback));  // 0 names no entry
  ASSERT_TRUE(window.TrayAdd(3, icon, u"a tooltip longer than the sixty-three characters the "
                                      u"entry holds, cut to fit",
                             kTrayCallback));
  EXPECT_FALSE(window.TrayModify(nullptr, nullptr));
  EXPECT_TRUE(window.TrayModify(nullptr, u"tip"));

  HWND hwnd = window.GetHwnd();
  SendMessageW(hwnd, kTrayCallback, 3, WM_MOUSEMOVE);
  MSG hover;
  ASSERT_TRUE(TakePosted(hwnd, kTrayCallback, &hover));
  EXPECT_EQ(hover.wParam, 3u);
  EXPECT_EQ(hover.lParam, WM_MOUSEHOVER);
  EXPECT_EQ(g_trayMessages, (std::vector<std::pair<WPARAM, LPARAM>>{{3, WM_MOUSEMOVE}}));

  ASSERT_TRUE(window.TrayBlinkStart(LoadIconW(nullptr, IDI_WARNING)));
  SendMessageW(hwnd, WM_TIMER, window.GetBlinkTimerId(), 0);
  SendMessageW(hwnd, WM_TIMER, 55, 0);
  EXPECT_EQ(g_timerTicks, (std::vector<uint32_t>{10001, 55}));
  EXPECT_TRUE(window.TrayBlinkStop());
  EXPECT_TRUE(window.TrayRemove());
  EXPECT_FALSE(window.TrayRemove());
  // Without an entry the callback message is an ordinary message.
  g_trayMessages.clear();
  SendMessageW(hwnd, kTrayCallback, 3, WM_MOUSEMOVE);
  EXPECT_TRUE(g_trayMessages.empty());
}

// An element that notes when it gains and loses the focus.
class FocusElement : public CLayer {
 public:
  explicit FocusElement(std::vector<std::string>* heard) : CLayer(kLayerFill), heard_(heard) {}
  void OnFocus() override { heard_->push_back("focus " + std::to_string(GetId())); }
  void OnBlur() override { heard_->push_back("blur " + std::to_string(GetId())); }

 private:
  std::vector<std::string>* heard_;
};

uint32_t PixelOf(CWindow& window, int x, int y, int width) {
  GdiFlush();
  const auto* pixels =
      reinterpret_cast<const uint32_t*>(window.GetRender()->GetTarget()->GetBits());
  return pixels[y * width + x] & 0xFFFFFF;
}

// The keyboard's focus moves as a press moves it, and the ring drawn around the element that
// has it lies over everything just outside the element, in the theme's two colours (made
// opaque), while the mouse goes through it to what lies beneath.
TEST_F(WindowFramework, TheFocusRingFollowsTheFocusOverEverythingAndLetsTheMouseThrough) {
  constexpr int kWidth = 200, kHeight = 100;
  TestWindow window;
  Open(window, kWidth, kHeight);
  std::vector<std::string> heard;
  // Fills keep the surface's alpha: these pixels are compared without it.
  AddFill(window, 0, 0, kWidth, kHeight, 0xFF808080);
  const int32_t first = window.AddElement(new FocusElement(&heard));
  const int32_t second = window.AddElement(new FocusElement(&heard));
  window.SetElementLayout(first, LayoutAt(50, 30, 40, 20));
  window.SetElementLayout(second, LayoutAt(120, 30, 40, 20));
  window.FindElement(first)->SetColor(0xFF00FF00);
  auto* ring = new CFocusRingUI();
  ring->SetColors(0xFF2979FF, 0x00FFFFFF);
  const int32_t ringKey = window.AddElement(ring);
  ASSERT_NE(ringKey, -1);
  heard.clear();

  window.MoveFocus(first);
  ring->SetTarget(first);
  EXPECT_EQ(window.GetFocusKey(), first);
  ASSERT_TRUE(window.PaintNow());
  EXPECT_EQ(PixelOf(window, 70, 40, kWidth), 0x00FE00u) << "the element itself";
  EXPECT_EQ(PixelOf(window, 49, 40, kWidth), 0xFEFEFEu) << "the inner band";
  EXPECT_EQ(PixelOf(window, 70, 29, kWidth), 0xFEFEFEu) << "the inner band above";
  EXPECT_EQ(PixelOf(window, 48, 40, kWidth), 0x2878FEu) << "the outer band";
  EXPECT_EQ(PixelOf(window, 91, 51, kWidth), 0x2878FEu) << "the outer band's corner";
  EXPECT_EQ(PixelOf(window, 46, 40, kWidth), 0x7F7F7Fu) << "beyond the ring: the background";
  EXPECT_EQ(PixelOf(window, 118, 40, kWidth), 0x7F7F7Fu) << "no ring around the other one";
  EXPECT_EQ(window.HitTestElements(48, 40), 0) << "the mouse goes through the ring";

  window.MoveFocus(second);
  ring->SetTarget(second);
  window.FindElement(second)->SetVisible(false);
  ASSERT_TRUE(window.PaintNow());
  EXPECT_EQ(PixelOf(window, 48, 40, kWidth), 0x7F7F7Fu) << "the ring left the first one";
  EXPECT_EQ(PixelOf(window, 118, 40, kWidth), 0x7F7F7Fu) << "and rings no hidden one";
  window.MoveFocus(-1);
  EXPECT_EQ(window.GetFocusKey(), -1);
  EXPECT_EQ(heard, (std::vector<std::string>{"focus " + std::to_string(first),
                                             "blur " + std::to_string(first),
                                             "focus " + std::to_string(second),
                                             "blur " + std::to_string(second)}));
}

}  // namespace
