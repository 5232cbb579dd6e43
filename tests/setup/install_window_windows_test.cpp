// The install window made in the test's own process, with the default skin (the test program
// carries it as its resources, as setup.exe does) and no payload: what the keyboard does in it,
// what a screen reader finds, and how it is drawn again when its monitor's DPI changes.
#include "setup/install_window.h"

#include <windows.h>
#include <oleacc.h>
#include <png.h>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "draw/render.h"
#include "records/current_language.h"
#include "setup/application.h"
#include "startup/command_line.h"
#include "startup/install_package.h"
#include "support/core/com_scope_windows.h"
#include "support/core/wide_text.h"
#include "tests/helpers/accessible_child.h"
#include "tests/helpers/image_files.h"
#include "tests/helpers/install_payload.h"
#include "tests/helpers/stand_in_main_window.h"
#include "tests/helpers/temp_folder.h"

namespace {

// What a screen reader finds of one child: its name, its state and its rectangle in the
// window's client area.
struct Seen {
  std::u16string name;
  long state = 0;
  RECT rect{};
};

class InstallWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InitApplication(GetModuleHandleW(nullptr));
    package_.Product().SetCompany(u"InstallWindowTest");
    package_.Product().SetApp(u"keys");
    package_.Product().SetName(u"窗口测试");
    window_ = CreateInstallWindow(package_, RunSwitches());
    ASSERT_NE(window_, nullptr);
    hwnd_ = window_->GetHwnd();
    SetForegroundWindow(hwnd_);
    SetFocus(hwnd_);
    ASSERT_EQ(GetFocus(), hwnd_);
    ASSERT_TRUE(SUCCEEDED(AccessibleObjectFromWindow(
        hwnd_, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible), object_.Receive())));
  }
  void TearDown() override {
    CleanupApplication();
    window_.reset();
  }

  // Every child by its name.
  std::map<std::u16string, Seen> Children() {
    std::map<std::u16string, Seen> children;
    long count = 0;
    object_->get_accChildCount(&count);
    for (long id = 1; id <= count; ++id) {
      Seen seen;
      BSTR name = nullptr;
      object_->get_accName(AccessibleChild(id), &name);
      seen.name = name != nullptr ? AsUtf16(name) : u"";
      SysFreeString(name);
      VARIANT state;
      object_->get_accState(AccessibleChild(id), &state);
      seen.state = state.lVal;
      long left = 0, top = 0, width = 0, height = 0;
      object_->accLocation(&left, &top, &width, &height, AccessibleChild(id));
      POINT corners[2] = {{left, top}, {left + width, top + height}};
      MapWindowPoints(nullptr, hwnd_, corners, 2);
      seen.rect = RECT{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
      children[seen.name] = seen;
    }
    return children;
  }

  // The name of the child with the keyboard focus; empty for none.
  std::u16string Focused() {
    VARIANT focus;
    if (object_->get_accFocus(&focus) != S_OK || focus.vt != VT_I4 ||
        focus.lVal == CHILDID_SELF) {
      return u"";
    }
    BSTR name = nullptr;
    object_->get_accName(focus, &name);
    std::u16string text = name != nullptr ? AsUtf16(name) : u"";
    SysFreeString(name);
    return text;
  }

  void Key(WPARAM key, bool shift = false) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_SHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
    SendMessageW(hwnd_, WM_KEYDOWN, key, 1);
    keys[VK_SHIFT] = 0;
    SetKeyboardState(keys);
  }

  // Whether the window has asked itself to close since last asked, taking the request.
  bool CloseAsked() {
    MSG message;
    return PeekMessageW(&message, hwnd_, WM_CLOSE, WM_CLOSE, PM_REMOVE) != FALSE;
  }

  // The surface's pixel at (x, y) of the client area, without its alpha.
  uint32_t Pixel(int x, int y) {
    GdiFlush();
    IImage* surface = window_->GetRender()->GetTarget();
    return reinterpret_cast<const uint32_t*>(surface->GetBits())[y * surface->GetWidth() + x] &
           0xFFFFFF;
  }

  ComApartment apartment_;
  // Closing the install window must not end the test's loop.
  StandInMainWindow standIn_;
  CInstallPackage package_;
  std::unique_ptr<CInstallWnd> window_;
  HWND hwnd_ = nullptr;
  ComPtr<IAccessible> object_;
};

const std::u16string kStart = u"开始安装", kClose = u"关闭", kMinimise = u"最小化",
                     kAgree = u"我已阅读并同意用户许可协议", kLicence = u"用户许可协议",
                     kBrowse = u"浏览...";

TEST_F(InstallWindowTest, TabMovesTheRingThroughTheControlsAndSpaceTogglesTheAgreement) {
  EXPECT_EQ(Focused(), kStart) << "the start button is the default";
  const std::vector<std::u16string> round = {kClose, kMinimise, kAgree, kLicence, kBrowse, kStart};
  for (const std::u16string& next : round) {
    Key(VK_TAB);
    EXPECT_EQ(Focused(), next);
  }
  Key(VK_TAB, true);
  EXPECT_EQ(Focused(), kBrowse) << "Shift+Tab goes back";

  // The ring around the browse button: the theme's back colour next to it, its fore colour
  // beyond (the default theme without "theme.txt": white and grey).
  window_->PaintNow();
  const RECT browse = Children()[kBrowse].rect;
  const int middle = (browse.top + browse.bottom) / 2;
  EXPECT_EQ(Pixel(browse.left - 1, middle), 0xFEFEFEu);
  EXPECT_EQ(Pixel(browse.left - 3, middle), 0x7F7F7Fu);
  EXPECT_EQ(Pixel(browse.right + 1, middle), 0x7F7F7Fu);

  Key(VK_TAB, true);
  Key(VK_TAB, true);
  ASSERT_EQ(Focused(), kAgree);
  Key(VK_SPACE);
  std::map<std::u16string, Seen> children = Children();
  EXPECT_EQ(children[kAgree].state & STATE_SYSTEM_CHECKED, 0) << "Space unchecks";
  EXPECT_NE(children[kStart].state & STATE_SYSTEM_INVISIBLE, 0) << "the start button hides";
  for (const std::u16string& next : {kLicence, kBrowse, kClose}) {
    Key(VK_TAB);
    EXPECT_EQ(Focused(), next) << "Tab passes over the hidden start button";
  }
  // Enter on a check box is its default button's, which is hidden: nothing happens.
  Key(VK_TAB, true);
  Key(VK_TAB, true);
  Key(VK_TAB, true);
  ASSERT_EQ(Focused(), kAgree);
  Key(VK_RETURN);
  EXPECT_EQ(Focused(), kAgree);
  EXPECT_FALSE(CloseAsked());
  Key(VK_SPACE);
  EXPECT_NE(Children()[kAgree].state & STATE_SYSTEM_CHECKED, 0) << "Space checks again";
  EXPECT_EQ(Children()[kStart].state & STATE_SYSTEM_INVISIBLE, 0);
}

TEST_F(InstallWindowTest, EscAltF4AndTheSystemsCloseActAsTheCloseButton) {
  // Before the install, the close button closes at once.
  Key(VK_ESCAPE);
  EXPECT_TRUE(CloseAsked()) << "Esc";
  // Alt+F4 reaches the window as the system's close, posted by the default window procedure.
  SendMessageW(hwnd_, WM_SYSKEYDOWN, VK_F4, static_cast<LPARAM>(KF_ALTDOWN) << 16 | 1);
  MSG posted;
  while (PeekMessageW(&posted, hwnd_, WM_SYSCOMMAND, WM_SYSCOMMAND, PM_REMOVE)) {
    DispatchMessageW(&posted);
  }
  EXPECT_TRUE(CloseAsked()) << "Alt+F4";
  SendMessageW(hwnd_, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_TRUE(CloseAsked()) << "the task bar's close";
  // A key held down repeats: the window closes once.
  SendMessageW(hwnd_, WM_KEYDOWN, VK_ESCAPE, static_cast<LPARAM>(KF_REPEAT) << 16 | 1);
  EXPECT_FALSE(CloseAsked());
  Key('A');
  EXPECT_FALSE(CloseAsked());
}

// Moved to a monitor of twice the DPI, the window takes the size the system proposes and every
// element takes twice its place, in pixels the skin is scaled to; moved back, it is as it was.
TEST_F(InstallWindowTest, OnAMonitorOfAnotherDpiEverythingIsLaidOutAgain) {
  EXPECT_EQ(window_->Dpi(), 96);
  RECT frame{};
  GetWindowRect(hwnd_, &frame);
  EXPECT_EQ(frame.right - frame.left, 612);
  EXPECT_EQ(frame.bottom - frame.top, 412);
  const std::map<std::u16string, Seen> before = Children();
  ASSERT_GE(before.size(), 10u);

  // The tests' screen is smaller than a monitor of 192 DPI would be: the window may be taller
  // than its work area here.
  window_->SetMaxSize(-1, -1);
  RECT proposed{frame.left, frame.top, frame.left + 1224, frame.top + 824};
  SendMessageW(hwnd_, WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&proposed));
  EXPECT_EQ(window_->Dpi(), 192);
  RECT moved{};
  GetWindowRect(hwnd_, &moved);
  EXPECT_EQ(moved.right - moved.left, 1224);
  EXPECT_EQ(moved.bottom - moved.top, 824);
  EXPECT_EQ(window_->GetBorderWidth(), 12);
  EXPECT_EQ(window_->GetRender()->GetTarget()->GetWidth(), 1224);
  for (const auto& [name, seen] : Children()) {
    SCOPED_TRACE(std::string(name.begin(), name.end()));
    const RECT once = before.at(name).rect;
    EXPECT_EQ(seen.rect.left, 2 * once.left);
    EXPECT_EQ(seen.rect.top, 2 * once.top);
    EXPECT_EQ(seen.rect.right, 2 * once.right);
    EXPECT_EQ(seen.rect.bottom, 2 * once.bottom);
  }
  // The ring is twice as wide too.
  window_->PaintNow();
  const RECT start = Children()[kStart].rect;
  const int middle = (start.top + start.bottom) / 2;
  EXPECT_EQ(Pixel(start.left - 2, middle), 0xFEFEFEu);
  EXPECT_EQ(Pixel(start.left - 6, middle), 0x7F7F7Fu);

  proposed = RECT{frame.left, frame.top, frame.right, frame.bottom};
  SendMessageW(hwnd_, WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&proposed));
  for (const auto& [name, seen] : Children()) {
    SCOPED_TRACE(std::string(name.begin(), name.end()));
    EXPECT_EQ(seen.rect.left, before.at(name).rect.left);
    EXPECT_EQ(seen.rect.bottom, before.at(name).rect.bottom);
  }
}

// A skin image's language twin in the payload is drawn in its place when the run speaks its
// language, whole code or primary part, and not otherwise.
TEST(InstallWindowLanguageTest, ASkinImagesLanguageTwinIsDrawnWhenTheRunSpeaksIt) {
  ComApartment apartment;
  StandInMainWindow standIn;
  ASSERT_TRUE(InitApplication(GetModuleHandleW(nullptr)));
  const int width = 118, height = 30;
  const std::string magenta = EncodePng({width,
                                         height,
                                         PNG_COLOR_TYPE_RGB,
                                         8,
                                         false,
                                         false,
                                         {},
                                         std::vector<Rgba>(width * height, {255, 0, 255, 255})});
  TempFolder folder;
  WriteBytes(folder.Path() / "payload.zip",
             BuildPayload({{"client.exe", "client"}}, "app.zip", {{"logo.en.png", magenta}}));
  const Language before = CurrentLanguage();
  Language british = EnglishLanguage();
  british.code = "en-GB";
  struct Case {
    Language language;
    bool twinDrawn;
  };
  const Case cases[] = {{EnglishLanguage(), true}, {british, true}, {ChineseLanguage(), false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.language.code);
    UseLanguage(c.language);
    CInstallPackage package;
    package.Product().SetCompany(u"InstallWindowTest");
    package.Product().SetApp(u"twins");
    ASSERT_TRUE(package.OpenPayloadFile(folder.File(u"payload.zip").c_str()));
    std::unique_ptr<CInstallWnd> window = CreateInstallWindow(package, RunSwitches());
    ASSERT_NE(window, nullptr);
    window->PaintNow();
    GdiFlush();
    IImage* surface = window->GetRender()->GetTarget();
    const auto* pixels = reinterpret_cast<const uint32_t*>(surface->GetBits());
    int twinPixels = 0;
    for (int i = 0; i < surface->GetWidth() * surface->GetHeight(); ++i) {
      twinPixels += (pixels[i] & 0xFFFFFF) == 0xFF00FF;
    }
    EXPECT_EQ(twinPixels, c.twinDrawn ? width * height : 0);
    DestroyWindow(window->GetHwnd());
  }
  UseLanguage(before);
  CleanupApplication();
}

}  // namespace
