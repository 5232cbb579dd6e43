// The install window made in the test's own process, with the default skin (the test program
// carries it as its resources, as setup.exe does) and no payload: what the keyboard does in it,
// what a screen reader finds, how it is drawn again when its monitor's DPI changes, and how its
// texts fit their elements in languages with longer words.
#include "setup/install_window.h"

#include <windows.h>
#include <oleacc.h>
#include <png.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "draw/render.h"
#include "install/progress_figures.h"
#include "records/current_language.h"
#include "setup/application.h"
#include "setup/install_page.h"
#include "startup/command_line.h"
#include "startup/install_package.h"
#include "support/core/com_scope_windows.h"
#include "support/core/wide_text.h"
#include "support/text/utf8.h"
#include "tests/helpers/accessible_child.h"
#include "tests/helpers/image_files.h"
#include "tests/helpers/install_payload.h"
#include "tests/helpers/recording_render.h"
#include "tests/helpers/stand_in_main_window.h"
#include "tests/helpers/temp_folder.h"
#include "ui/controls/progress_ui.h"
#include "ui/controls/text_ui.h"

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
  // The names a screen reader says for the first page's controls, in the run's language.
  const std::u16string kStart = Text(TextKey::kWindowStart), kClose = Text(TextKey::kWindowClose),
                       kMinimise = Text(TextKey::kWindowMinimise),
                       kAgree = Text(TextKey::kWindowAgree), kLicence = Text(TextKey::kWindowLicence),
                       kBrowse = Text(TextKey::kWindowBrowse);
};

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

// text about 40 % longer, as a language of long words would have it: its letters accented, words
// of accented letters added, in brackets; the parts in braces stay. A text without letters (a
// percentage) is the same in every language.
std::u16string Lengthened(std::u16string_view text) {
  constexpr std::u16string_view kPlain = u"acdeilnorstuwyACEINOSU";
  constexpr std::u16string_view kAccented = u"åçđéîļñöŕšţüŵýÅÇÉÎÑÖŠÜ";
  constexpr std::u16string_view kWords[] = {u"öñé", u"ţŵö", u"ţĥŕéé", u"ƒöüŕ", u"ƒîvé", u"šîx"};
  std::u16string longer = u"[";
  bool inPart = false;
  bool hasLetters = false;
  for (char16_t c : text) {
    inPart = c == u'{' || (inPart && c != u'}');
    hasLetters = hasLetters || (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
    const size_t at = kPlain.find(c);
    longer += !inPart && at != std::u16string_view::npos ? kAccented[at] : c;
  }
  if (!hasLetters) return std::u16string(text);
  for (size_t word = 0; longer.size() < text.size() * 14 / 10; ++word) {
    longer += u' ';
    longer += kWords[word % std::size(kWords)];
  }
  return longer + u"]";
}

// Every text of English, lengthened.
Language LongLanguage() {
  Language language = EnglishLanguage();
  language.code = "qps-ploc";
  for (std::u16string& text : language.texts) text = Lengthened(text);
  return language;
}

// Whether lines are text's words in order, each line ending where a line may end (at a space or
// after a hyphen), and the last ending with "…" when words are left out.
::testing::AssertionResult InWholeWords(const std::vector<std::u16string>& lines,
                                        const std::u16string& text) {
  size_t at = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    std::u16string words = lines[i];
    const bool shortened = i + 1 == lines.size() && !words.empty() && words.back() == u'…';
    if (shortened) words.pop_back();
    while (at < text.size() && text[at] == u' ') ++at;
    if (text.compare(at, words.size(), words) != 0) {
      return ::testing::AssertionFailure()
             << "\"" << Utf16ToUtf8(lines[i].c_str()) << "\" is not the text's next words";
    }
    at += words.size();
    if (at < text.size() && text[at] != u' ' && text[at - 1] != u'-') {
      return ::testing::AssertionFailure()
             << "\"" << Utf16ToUtf8(lines[i].c_str()) << "\" ends inside a word";
    }
    if (shortened) return ::testing::AssertionSuccess();
  }
  while (at < text.size() && text[at] == u' ') ++at;
  if (at != text.size()) return ::testing::AssertionFailure() << "words left out without \"…\"";
  return ::testing::AssertionSuccess();
}

// Writes the window's surface to build/test-artifacts/window-<name>.png, to look at.
void SaveSurface(IImage* surface, const std::string& name) {
  wchar_t program[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, program, MAX_PATH);
  std::wstring folder(program);
  folder = folder.substr(0, folder.find_last_of(L'\\')) + L"\\..\\..\\test-artifacts";
  CreateDirectoryW(folder.c_str(), nullptr);
  PngPicture picture{surface->GetWidth(), surface->GetHeight(), PNG_COLOR_TYPE_RGB, 8, false,
                     false, {}, {}};
  const auto* pixels = reinterpret_cast<const uint32_t*>(surface->GetBits());
  for (int i = 0; i < picture.width * picture.height; ++i) {
    picture.colours.push_back({static_cast<uint8_t>(pixels[i] >> 16),
                               static_cast<uint8_t>(pixels[i] >> 8),
                               static_cast<uint8_t>(pixels[i]), 255});
  }
  const std::string png = EncodePng(picture);
  const std::wstring path = folder + L"\\window-" + std::wstring(name.begin(), name.end()) + L".png";
  if (FILE* file = _wfopen(path.c_str(), L"wb")) {
    fwrite(png.data(), 1, png.size(), file);
    fclose(file);
  }
}

// The window's text elements drawn with the texts of a language whose words are longer than
// Chinese, at each DPI: each line inside its element, as wide as it measures, in whole words.
// Chinese, which fits, is drawn as it always was: its whole text in one call, with the element's
// own font. The pages are written to build/test-artifacts/ to look at.
TEST_F(InstallWindowTest, TextsOfLongerLanguagesFitTheirElementsInWholeWords) {
  constexpr ElementRole kTextRoles[] = {ElementRole::kStatusText, ElementRole::kPercentText,
                                        ElementRole::kDetailText, ElementRole::kSlowNetworkText};
  struct Case {
    const char* name;
    Language language;
  };
  const Case cases[] = {
      {"chinese", ChineseLanguage()}, {"english", EnglishLanguage()}, {"long", LongLanguage()}};
  const Language before = CurrentLanguage();
  InstallView progressPage;
  progressPage.firstPageVisible = false;
  progressPage.progressVisible = true;
  progressPage.slowNetworkVisible = true;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UseLanguage(c.language);
    // The texts the progress page shows, in the order of kTextRoles.
    const std::u16string texts[] = {
        Text(TextKey::kWindowPleaseWait), u"60%",
        Text(TextKey::kProgressDetail, {{u"total", u"512.0"},
                                        {u"done", u"128.5"},
                                        {u"speed", u"1024.0"},
                                        {u"left", DurationText(200)}}),
        Text(TextKey::kWindowSlowNetwork)};
    window_.reset();
    window_ = CreateInstallWindow(package_, RunSwitches());
    ASSERT_NE(window_, nullptr);
    hwnd_ = window_->GetHwnd();
    window_->SetMaxSize(-1, -1);
    window_->PaintNow();
    SaveSurface(window_->GetRender()->GetTarget(), std::string(c.name) + "-first-page");
    for (int role = 0; role < kElementRoleCount; ++role) {
      window_->FindElement(role)->SetVisible(
          IsShownInView(static_cast<ElementRole>(role), progressPage, true));
    }
    for (size_t i = 0; i < std::size(kTextRoles); ++i) {
      auto* text = dynamic_cast<CTextUI*>(window_->FindElement(static_cast<int>(kTextRoles[i])));
      ASSERT_NE(text, nullptr);
      text->text.Assign(texts[i].c_str());
    }
    dynamic_cast<CProgressUI*>(window_->FindElement(static_cast<int>(ElementRole::kProgressBar)))
        ->position = 60;
    for (int dpi : {96, 120, 144, 192}) {
      SCOPED_TRACE(dpi);
      RECT frame{};
      GetWindowRect(hwnd_, &frame);
      RECT proposed{frame.left, frame.top, frame.left + ScaleToDpi(612, dpi),
                    frame.top + ScaleToDpi(412, dpi)};
      SendMessageW(hwnd_, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                   reinterpret_cast<LPARAM>(&proposed));
      window_->SetAllDirty(true);
      window_->PaintNow();
      SaveSurface(window_->GetRender()->GetTarget(),
                  std::string(c.name) + "-progress-page-" + std::to_string(dpi));
      for (size_t i = 0; i < std::size(kTextRoles); ++i) {
        SCOPED_TRACE(Utf16ToUtf8(texts[i].c_str()));
        auto* element = dynamic_cast<CTextUI*>(window_->FindElement(static_cast<int>(kTextRoles[i])));
        RecordingRender recorder(*window_->GetRender());
        element->Draw(&recorder);
        ASSERT_FALSE(recorder.Drawn().empty());
        if (c.language.code == ChineseLanguage().code) {
          ASSERT_EQ(recorder.Drawn().size(), 1u);
          EXPECT_EQ(recorder.Drawn()[0].text, texts[i]);
          EXPECT_EQ(recorder.Drawn()[0].font, element->font.GetHandle());
        }
        const RECT box = element->GetRect();
        std::vector<std::u16string> lines;
        for (const RecordingRender::DrawnText& drawn : recorder.Drawn()) {
          RECT extent{0, 0, 0, 0};
          recorder.MeasureText(extent, drawn.text.c_str(), static_cast<int>(drawn.text.size()),
                               drawn.font, DT_SINGLELINE);
          EXPECT_LE(extent.right, drawn.rect.right - drawn.rect.left)
              << Utf16ToUtf8(drawn.text.c_str()) << " is cut at its right";
          EXPECT_GE(drawn.rect.left, box.left);
          EXPECT_LE(drawn.rect.right, box.right);
          EXPECT_GE(drawn.rect.top, box.top);
          EXPECT_LE(drawn.rect.bottom, box.bottom);
          lines.push_back(drawn.text);
        }
        EXPECT_TRUE(InWholeWords(lines, texts[i]));
      }
    }
  }
  UseLanguage(before);
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
