// The accessible object of a window of drawn elements, asked through the system's own oleacc as
// a screen reader asks it.
#include "records/current_language.h"
#include "ui/element_accessible.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/core/com_scope_windows.h"
#include "support/core/wide_text.h"
#include "tests/helpers/accessible_child.h"
#include "tests/helpers/stand_in_main_window.h"
#include "ui/direct_ui.h"
#include "ui/window.h"
#include "ui/window_globals.h"

namespace {

// Items a test sets, and what was asked of them.
class TestContent : public IAccessibleContent {
 public:
  std::vector<AccessibleItem> AccessibleItems() override { return items; }
  int32_t FocusedItem() override { return focused; }
  bool FocusItem(int32_t item) override {
    focusAsked.push_back(item);
    return items[item].focusable;
  }
  bool ActivateItem(int32_t item) override {
    activated.push_back(item);
    return items[item].role == AccessibleRole::kPushButton;
  }

  std::vector<AccessibleItem> items;
  int32_t focused = -1;
  std::vector<int32_t> focusAsked;
  std::vector<int32_t> activated;
};

// A window that answers WM_GETOBJECT with its accessible object.
class AccessibleWindow : public CDirectUI {
 public:
  LRESULT HandleMessage(HWND window, UINT message, WPARAM w, LPARAM l) override {
    if (message == WM_GETOBJECT && static_cast<LONG>(l) == static_cast<LONG>(OBJID_CLIENT) &&
        accessible) {
      return accessible->AnswerGetObject(w);
    }
    return CDirectUI::HandleMessage(window, message, w, l);
  }
  std::unique_ptr<CElementAccessible, ReleaseDeleter> accessible;
};

AccessibleItem Item(AccessibleRole role, const char16_t* name, ElementRect rect, bool visible) {
  AccessibleItem item;
  item.role = role;
  item.name = name;
  item.rect = rect;
  item.visible = visible;
  return item;
}

std::u16string Text(BSTR text) {
  std::u16string out = text != nullptr ? std::u16string(AsUtf16(text), SysStringLen(text)) : u"";
  SysFreeString(text);
  return out;
}

class ElementAccessibleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Hidden unless a test needs the keyboard focus: without a window manager, hiding a shown
    // window costs the X driver a wait.
    ASSERT_TRUE(window_.Create(WS_POPUP, 0, nullptr, GetModuleHandleW(nullptr)));
    window_.SetBlur(false);
    ASSERT_TRUE(window_.Move(100, 50, 300, 200));
    window_.SetTitleText(u"安装窗口");
    AccessibleItem start = Item(AccessibleRole::kPushButton, u"开始安装", {10, 10, 110, 40}, true);
    start.focusable = true;
    AccessibleItem agree = Item(AccessibleRole::kCheckBox, u"同意", {10, 60, 23, 73}, true);
    agree.checked = true;
    agree.focusable = true;
    AccessibleItem status = Item(AccessibleRole::kStaticText, u"请稍等...", {10, 80, 200, 95},
                                 false);
    status.readOnly = true;
    AccessibleItem bar = Item(AccessibleRole::kProgressBar, u"安装进度", {10, 100, 290, 106}, true);
    bar.value = u"40%";
    AccessibleItem link = Item(AccessibleRole::kLink, u"用户许可协议", {20, 60, 120, 75}, true);
    // The check box's rectangle lies under the link's left end: the link is hit there.
    content_.items = {start, agree, status, bar, link};
    window_.accessible.reset(new CElementAccessible(window_.GetHwnd(), &content_));
    ASSERT_TRUE(SUCCEEDED(AccessibleObjectFromWindow(window_.GetHwnd(),
                                                     static_cast<DWORD>(OBJID_CLIENT),
                                                     __uuidof(IAccessible), object_.Receive())));
  }
  // Shows the window and gives it the keyboard focus.
  void Focus() {
    window_.Show(SW_SHOW);
    SetForegroundWindow(window_.GetHwnd());
    SetFocus(window_.GetHwnd());
    ASSERT_EQ(GetFocus(), window_.GetHwnd());
  }

  void TearDown() override { window_.Destroy(); }

  ComApartment apartment_;
  StandInMainWindow standIn_;
  TestContent content_;
  AccessibleWindow window_;
  ComPtr<IAccessible> object_;
};

TEST_F(ElementAccessibleTest, EachItemIsAChildWithItsNameRoleStateAndPlaceOnTheScreen) {
  long count = 0;
  ASSERT_EQ(object_->get_accChildCount(&count), S_OK);
  EXPECT_EQ(count, 5);
  struct Case {
    long child;
    std::u16string name;
    std::u16string value;
    long role;
    long state;
    RECT onScreen;
  };
  const std::vector<Case> cases = {
      {CHILDID_SELF, u"安装窗口", u"", ROLE_SYSTEM_CLIENT,
       STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_INVISIBLE, {100, 50, 400, 250}},
      {1, u"开始安装", u"", ROLE_SYSTEM_PUSHBUTTON, STATE_SYSTEM_FOCUSABLE, {110, 60, 210, 90}},
      {2, u"同意", u"", ROLE_SYSTEM_CHECKBUTTON, STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_CHECKED,
       {110, 110, 123, 123}},
      {3, u"请稍等...", u"", ROLE_SYSTEM_STATICTEXT, STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_READONLY,
       {110, 130, 300, 145}},
      {4, u"安装进度", u"40%", ROLE_SYSTEM_PROGRESSBAR, 0, {110, 150, 390, 156}},
      {5, u"用户许可协议", u"", ROLE_SYSTEM_LINK, STATE_SYSTEM_LINKED, {120, 110, 220, 125}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.child);
    BSTR text = nullptr;
    object_->get_accName(AccessibleChild(c.child), &text);
    EXPECT_EQ(Text(text), c.name);
    text = nullptr;
    object_->get_accValue(AccessibleChild(c.child), &text);
    EXPECT_EQ(Text(text), c.value);
    VARIANT answer;
    ASSERT_EQ(object_->get_accRole(AccessibleChild(c.child), &answer), S_OK);
    EXPECT_EQ(answer.lVal, c.role);
    ASSERT_EQ(object_->get_accState(AccessibleChild(c.child), &answer), S_OK);
    EXPECT_EQ(answer.lVal, c.state);
    long left = 0, top = 0, width = 0, height = 0;
    ASSERT_EQ(object_->accLocation(&left, &top, &width, &height, AccessibleChild(c.child)), S_OK);
    EXPECT_EQ(left, c.onScreen.left);
    EXPECT_EQ(top, c.onScreen.top);
    EXPECT_EQ(left + width, c.onScreen.right);
    EXPECT_EQ(top + height, c.onScreen.bottom);
  }
  BSTR text = nullptr;
  EXPECT_EQ(object_->get_accName(AccessibleChild(6), &text), E_INVALIDARG);
  VARIANT wrong;
  VariantInit(&wrong);
  EXPECT_EQ(object_->get_accName(wrong, &text), E_INVALIDARG);
  // The items are simple children, asked through their parent.
  IDispatch* child = reinterpret_cast<IDispatch*>(1);
  EXPECT_EQ(object_->get_accChild(AccessibleChild(2), &child), S_FALSE);
  EXPECT_EQ(child, nullptr);
}

TEST_F(ElementAccessibleTest, FocusHitsNavigationAndActionsGoToTheItems) {
  VARIANT answer;
  // Nothing has the focus while the window has not.
  content_.focused = 1;
  EXPECT_EQ(object_->get_accFocus(&answer), S_FALSE);
  EXPECT_EQ(answer.vt, VT_EMPTY);
  Focus();
  content_.focused = -1;
  ASSERT_EQ(object_->get_accFocus(&answer), S_OK);
  EXPECT_EQ(answer.vt, VT_I4);
  EXPECT_EQ(answer.lVal, CHILDID_SELF);
  content_.focused = 1;
  ASSERT_EQ(object_->get_accFocus(&answer), S_OK);
  EXPECT_EQ(answer.lVal, 2);
  ASSERT_EQ(object_->get_accState(AccessibleChild(2), &answer), S_OK);
  EXPECT_NE(answer.lVal & STATE_SYSTEM_FOCUSED, 0);

  struct Hit {
    long x, y;
    VARTYPE type;
    long child;
  };
  const std::vector<Hit> hits = {
      {150, 70, VT_I4, 1},            // the button
      {112, 112, VT_I4, 2},           // the check box, beside the link
      {121, 112, VT_I4, 5},           // the link, over the check box's right part
      {150, 135, VT_I4, CHILDID_SELF},  // the hidden text is not hit
      {390, 240, VT_I4, CHILDID_SELF},  // the window's own ground
      {20, 20, VT_EMPTY, 0},          // outside the window
  };
  for (const Hit& hit : hits) {
    SCOPED_TRACE(std::to_string(hit.x) + "," + std::to_string(hit.y));
    VariantInit(&answer);
    object_->accHitTest(hit.x, hit.y, &answer);
    EXPECT_EQ(answer.vt, hit.type);
    if (hit.type == VT_I4) {
      EXPECT_EQ(answer.lVal, hit.child);
    }
  }

  // Navigation passes over hidden items.
  ASSERT_EQ(object_->accNavigate(NAVDIR_FIRSTCHILD, AccessibleChild(CHILDID_SELF), &answer), S_OK);
  EXPECT_EQ(answer.lVal, 1);
  ASSERT_EQ(object_->accNavigate(NAVDIR_NEXT, AccessibleChild(2), &answer), S_OK);
  EXPECT_EQ(answer.lVal, 4);
  ASSERT_EQ(object_->accNavigate(NAVDIR_LASTCHILD, AccessibleChild(CHILDID_SELF), &answer), S_OK);
  EXPECT_EQ(answer.lVal, 5);
  EXPECT_EQ(object_->accNavigate(NAVDIR_NEXT, AccessibleChild(5), &answer), S_FALSE);

  BSTR action = nullptr;
  ASSERT_EQ(object_->get_accDefaultAction(AccessibleChild(2), &action), S_OK);
  EXPECT_EQ(Text(action), ::Text(TextKey::kWindowClear));
  EXPECT_EQ(object_->accDoDefaultAction(AccessibleChild(1)), S_OK);
  EXPECT_EQ(object_->accDoDefaultAction(AccessibleChild(4)), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(content_.activated, (std::vector<int32_t>{0, 3}));
  EXPECT_EQ(object_->accSelect(SELFLAG_TAKEFOCUS, AccessibleChild(2)), S_OK);
  EXPECT_EQ(object_->accSelect(SELFLAG_TAKEFOCUS, AccessibleChild(4)), S_FALSE);
  EXPECT_EQ(content_.focusAsked, (std::vector<int32_t>{1, 3}));
}

// A screen reader may keep the object after the window is gone: it then answers that it is
// disconnected, never from the content that went with the window.
TEST_F(ElementAccessibleTest, AfterTheWindowTheObjectAnswersNothing) {
  window_.accessible->Disconnect();
  BSTR text = nullptr;
  EXPECT_EQ(object_->get_accName(AccessibleChild(1), &text), CO_E_OBJNOTCONNECTED);
  long count = 7;
  EXPECT_EQ(object_->get_accChildCount(&count), CO_E_OBJNOTCONNECTED);
  EXPECT_EQ(count, 0);
  VARIANT answer;
  EXPECT_EQ(object_->accHitTest(150, 70, &answer), CO_E_OBJNOTCONNECTED);
  EXPECT_EQ(object_->accDoDefaultAction(AccessibleChild(1)), CO_E_OBJNOTCONNECTED);
  EXPECT_TRUE(content_.activated.empty());
}

// What the window announces reaches the system's event hooks as the events of its client
// area's children.
std::vector<std::pair<DWORD, LONG>> g_events;

void CALLBACK NoteEvent(HWINEVENTHOOK, DWORD event, HWND, LONG object, LONG child, DWORD, DWORD) {
  if (object == OBJID_CLIENT) g_events.emplace_back(event, child);
}

TEST_F(ElementAccessibleTest, ChangesAndTheFocusAreAnnouncedAsEvents) {
  g_events.clear();
  HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_VALUECHANGE, nullptr,
                                       NoteEvent, GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  ASSERT_NE(hook, nullptr);
  Focus();
  AnnounceChanges(window_.GetHwnd(), {{AccessibleChange::kShown, 2},
                                      {AccessibleChange::kHidden, 0},
                                      {AccessibleChange::kNameChanged, 0},
                                      {AccessibleChange::kValueChanged, 3},
                                      {AccessibleChange::kStateChanged, 1}});
  AnnounceFocus(window_.GetHwnd(), 1);
  AnnounceFocus(window_.GetHwnd(), -1);
  const DWORD start = GetTickCount();
  while (g_events.size() < 7 && GetTickCount() - start < 2000) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    Sleep(10);
  }
  UnhookWinEvent(hook);
  std::vector<std::pair<DWORD, LONG>> announced;
  for (const auto& event : g_events) {
    if (event.first != EVENT_OBJECT_FOCUS || event.second != CHILDID_SELF || !announced.empty()) {
      announced.push_back(event);
    }
  }
  const std::vector<std::pair<DWORD, LONG>> expected = {
      {EVENT_OBJECT_SHOW, 3},        {EVENT_OBJECT_HIDE, 1},         {EVENT_OBJECT_NAMECHANGE, 1},
      {EVENT_OBJECT_VALUECHANGE, 4}, {EVENT_OBJECT_STATECHANGE, 2},  {EVENT_OBJECT_FOCUS, 2},
      {EVENT_OBJECT_FOCUS, CHILDID_SELF},
  };
  EXPECT_EQ(announced, expected);
}

}  // namespace
