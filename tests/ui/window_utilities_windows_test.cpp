#include "ui/window_utilities.h"

#include <gtest/gtest.h>

#include "support/core/wide_text.h"

namespace {

constexpr char16_t kClassName[] = u"WindowUtilitiesTestClass";

// A hidden top-level window of the test class, destroyed at scope exit.
class TestWindow {
 public:
  TestWindow()
      : window_(CreateWindowExW(0, AsWide(kClassName), L"", WS_POPUP, 0, 0, 100, 100, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr)) {}
  ~TestWindow() {
    if (window_ != nullptr) DestroyWindow(window_);
  }
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;
  HWND Get() const { return window_; }

 private:
  HWND window_;
};

class WindowUtilitiesTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(RegisterWindowClass(GetModuleHandleW(nullptr), kClassName, DefWindowProcW, true));
  }
  void TearDown() override { UnregisterClassW(AsWide(kClassName), GetModuleHandleW(nullptr)); }
};

TEST_F(WindowUtilitiesTest, RegistersAClassOnceWithTheAskedStyles) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW registered = {};
  registered.cbSize = sizeof registered;
  ASSERT_TRUE(GetClassInfoExW(instance, AsWide(kClassName), &registered));
  EXPECT_EQ(registered.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS));
  EXPECT_EQ(registered.hCursor, LoadCursorW(nullptr, IDC_ARROW));
  EXPECT_EQ(registered.hbrBackground, nullptr);
  EXPECT_EQ(registered.hIcon, nullptr);
  // Already registered: true, and the class stays as it was.
  EXPECT_TRUE(RegisterWindowClass(instance, kClassName, DefWindowProcW, false));

  const char16_t otherName[] = u"WindowUtilitiesTestPlainClass";
  ASSERT_TRUE(RegisterWindowClass(instance, otherName, DefWindowProcW, false));
  WNDCLASSEXW plain = {};
  plain.cbSize = sizeof plain;
  ASSERT_TRUE(GetClassInfoExW(instance, AsWide(otherName), &plain));
  EXPECT_EQ(plain.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW));
  UnregisterClassW(AsWide(otherName), instance);

  EXPECT_FALSE(RegisterWindowClass(instance, nullptr, DefWindowProcW, false));
  EXPECT_FALSE(RegisterWindowClass(instance, otherName, nullptr, false));
}

TEST_F(WindowUtilitiesTest, CentresOnTheScreenOrOnAReferenceWindow) {
  TestWindow window;
  TestWindow reference;
  ASSERT_NE(window.Get(), nullptr);
  ASSERT_NE(reference.Get(), nullptr);
  MoveWindow(reference.Get(), 100, 50, 800, 600, FALSE);

  struct Case {
    const char* name;
    HWND reference;
    RECT expected;
  };
  int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  int left = (screenWidth - 600) / 2;
  int top = (screenHeight - 400) / 2;
  const Case cases[] = {
      {"screen", nullptr, {left, top, left + 600, top + 400}},
      {"reference", reference.Get(), {200, 150, 800, 550}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CenterWindow(window.Get(), c.reference, 600, 400, false);
    RECT placed = {};
    ASSERT_TRUE(GetWindowRect(window.Get(), &placed));
    EXPECT_EQ(placed.left, c.expected.left);
    EXPECT_EQ(placed.top, c.expected.top);
    EXPECT_EQ(placed.right, c.expected.right);
    EXPECT_EQ(placed.bottom, c.expected.bottom);
  }
}

TEST_F(WindowUtilitiesTest, StartsADragByPostingACaptionPress) {
  HWND destroyed = nullptr;
  {
    TestWindow window;
    ASSERT_NE(window.Get(), nullptr);
    ASSERT_TRUE(BeginWindowDrag(window.Get()));
    // Taken off the queue, not dispatched: dispatching would start the move loop.
    MSG message = {};
    ASSERT_TRUE(
        PeekMessageW(&message, window.Get(), WM_NCLBUTTONDOWN, WM_NCLBUTTONDOWN, PM_REMOVE));
    EXPECT_EQ(message.wParam, static_cast<WPARAM>(HTCAPTION));
    EXPECT_EQ(message.lParam, MAKELPARAM(100, 10));
    destroyed = window.Get();
  }
  EXPECT_FALSE(BeginWindowDrag(destroyed));
  EXPECT_FALSE(BeginWindowDrag(nullptr));
}

}  // namespace
