#include "ui/element_accessible.h"

#include "support/core/wide_text.h"

// The interfaces are named by __uuidof: the import library of oleacc.dll resolves IID_IAccessible
// to a code stub rather than the identifier.

namespace {

LONG RoleConstant(AccessibleRole role) {
  switch (role) {
    case AccessibleRole::kPushButton:
      return ROLE_SYSTEM_PUSHBUTTON;
    case AccessibleRole::kCheckBox:
      return ROLE_SYSTEM_CHECKBUTTON;
    case AccessibleRole::kLink:
      return ROLE_SYSTEM_LINK;
    case AccessibleRole::kProgressBar:
      return ROLE_SYSTEM_PROGRESSBAR;
    case AccessibleRole::kStaticText:
      return ROLE_SYSTEM_STATICTEXT;
    case AccessibleRole::kText:
      return ROLE_SYSTEM_TEXT;
    case AccessibleRole::kGraphic:
      break;
  }
  return ROLE_SYSTEM_GRAPHIC;
}

LONG ItemChildId(int32_t item) { return item + 1; }

void SetChild(VARIANT* variant, LONG childId) {
  variant->vt = VT_I4;
  variant->lVal = childId;
}

// A new BSTR of text (the caller frees it); S_FALSE and null for empty text.
HRESULT ReturnText(const std::u16string& text, BSTR* out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (text.empty()) return S_FALSE;
  *out = SysAllocStringLen(AsWide(text.c_str()), static_cast<UINT>(text.size()));
  return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

bool HasKeyboardFocus(HWND window) { return window != nullptr && GetFocus() == window; }

// Screen coordinates of a rectangle of window's client area.
RECT OnScreen(HWND window, const ElementRect& rect) {
  POINT corners[2] = {{rect.left, rect.top}, {rect.right, rect.bottom}};
  MapWindowPoints(window, nullptr, corners, 2);
  return RECT{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
}

bool Contains(const ElementRect& rect, LONG x, LONG y) {
  return rect.left <= x && x < rect.right && rect.top <= y && y < rect.bottom;
}

}  // namespace

CElementAccessible::CElementAccessible(HWND window, IAccessibleContent* content)
    : window_(window), content_(content) {}

LRESULT CElementAccessible::AnswerGetObject(WPARAM w) {
  return LresultFromObject(__uuidof(IAccessible), w, static_cast<IAccessible*>(this));
}

void CElementAccessible::Disconnect() {
  window_ = nullptr;
  content_ = nullptr;
  CoDisconnectObject(static_cast<IAccessible*>(this), 0);
}

HRESULT CElementAccessible::QueryInterface(REFIID id, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(id, __uuidof(IUnknown)) || IsEqualIID(id, __uuidof(IDispatch)) ||
      IsEqualIID(id, __uuidof(IAccessible))) {
    *object = static_cast<IAccessible*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG CElementAccessible::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

ULONG CElementAccessible::Release() {
  const LONG left = InterlockedDecrement(&references_);
  if (left == 0) delete this;
  return static_cast<ULONG>(left);
}

HRESULT CElementAccessible::GetTypeInfoCount(UINT* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT CElementAccessible::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info != nullptr) *info = nullptr;
  return E_NOTIMPL;
}

HRESULT CElementAccessible::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
  return E_NOTIMPL;
}

HRESULT CElementAccessible::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) {
  return E_NOTIMPL;
}

CElementAccessible::Subject CElementAccessible::SubjectOf(const VARIANT& child) {
  Subject subject;
  if (content_ == nullptr || window_ == nullptr) {
    subject.problem = CO_E_OBJNOTCONNECTED;
    return subject;
  }
  if (child.vt != VT_I4) {
    subject.problem = E_INVALIDARG;
    return subject;
  }
  if (child.lVal == CHILDID_SELF) {
    subject.self = true;
    return subject;
  }
  subject.items = content_->AccessibleItems();
  if (child.lVal < 1 || child.lVal > static_cast<LONG>(subject.items.size())) {
    subject.problem = E_INVALIDARG;
    return subject;
  }
  subject.item = child.lVal - 1;
  return subject;
}

HRESULT CElementAccessible::get_accParent(IDispatch** parent) {
  if (parent == nullptr) return E_POINTER;
  *parent = nullptr;
  if (window_ == nullptr) return CO_E_OBJNOTCONNECTED;
  // The client area's parent is the window itself, as the system describes it.
  return AccessibleObjectFromWindow(window_, static_cast<DWORD>(OBJID_WINDOW), __uuidof(IDispatch),
                                    reinterpret_cast<void**>(parent));
}

HRESULT CElementAccessible::get_accChildCount(long* count) {
  if (count == nullptr) return E_POINTER;
  *count = 0;
  if (content_ == nullptr) return CO_E_OBJNOTCONNECTED;
  *count = static_cast<long>(content_->AccessibleItems().size());
  return S_OK;
}

HRESULT CElementAccessible::get_accChild(VARIANT child, IDispatch** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  Subject subject = SubjectOf(child);
  if (FAILED(subject.problem)) return subject.problem;
  if (subject.self) {
    *object = static_cast<IAccessible*>(this);
    AddRef();
    return S_OK;
  }
  // The items are simple elements: their questions go to this object with their child id.
  return S_FALSE;
}

HRESULT CElementAccessible::get_accName(VARIANT child, BSTR* name) {
  if (name == nullptr) return E_POINTER;
  *name = nullptr;
  Subject subject = SubjectOf(child);
  if (FAILED(subject.problem)) return subject.problem;
  if (subject.self) {
    const int length = GetWindowTextLengthW(window_);
    std::u16string title(static_cast<size_t>(length) + 1, u'\0');
    title.resize(GetWindowTextW(window_, AsWide(&title[0]), length + 1));
    return ReturnText(title, name);
  }
  return ReturnText(subject.items[subject.item].name, name);
}

HRESULT CElementAccessible::get_accValue(VARIANT child, BSTR* value) {
  if (value == nullptr) return E_POINTER;
  *value = nullptr;
  Subject subject = SubjectOf(child);
  if (FAILED(subject.problem)) return subject.problem;
  if (subject.self) return S_FALSE;
  return ReturnText(subject.items[subject.item].value, value);
}

HRESULT CElementAccessible::get_accDescription(VARIANT child, BSTR* description) {
  if (description == nullptr) return E_POINTER;
  *description = nullptr;
  Subject subject = SubjectOf(child);
  return FAILED(subject.problem) ? subject.problem : S_FALSE;
}

HRESULT CElementAccessible::get_accRole(VARIANT child, VARIANT* role) {
  if (role == nullptr) return E_POINTER;
  VariantInit(role);
  Subject subject = SubjectOf(child);
  if (FAILED(subject.problem)) return subject.problem;
  SetChild(role, subject.self ? ROLE_SYSTEM_CLIENT : RoleConstant(subject.items[subject.item].role));
  return S_OK;
}

HRESULT CElementAccessible::get_accState(VARIANT child, VARIANT* state) {
  if (state == nullptr) return E_POINTER;
  VariantInit(state);
  Subject subject = SubjectOf(child);
  if (FAILED(subject.problem)) return subject.problem;
  const bool focused = HasKeyboardFocus(window_);
  LONG bits = 0;
  if (subject.self) {
    bits = STATE_SYSTEM_FOCUSABLE;
    if (!IsWindowVisible(window_)) bits |= STATE_SYSTEM_INVISIBLE;
    if (focused && content_->FocusedItem() == -1) bits |= STATE_SYSTEM_FOCUSED;
  } else {
    const AccessibleItem& item = subject.items[subject.item];
    if (!item.visible) bits |= STATE_SYSTEM_INVISIBLE;
    if (item.focusable) bits |= STATE_SYSTEM_FOCUSABLE;
    if (focused && item.visible && content_->FocusedItem() == subject.item) {
      bits |= STATE_SYSTEM_FOCUSED;
    }
    if (item.checked) bits |= STATE_SYSTEM_CHECKED;
    if (item.readOnly) bits |= STATE_SYSTEM_READONLY;
    if (item.role == AccessibleRole::kLink) bits |= STATE_SYSTEM_LINKED;
  }
  SetChild(state, bits);
  return S_OK;
}

HRESULT CElementAccessible::get_accHelp(VARIANT child, BSTR* help) {
  return get_accDescription(child, help);
}

HRESULT CElementAccessible::get_accHelpTopic(BSTR* file, VARIANT, long* topic) {
  if (file != nullptr) *file = nullptr;
  if (topic != nullptr) *topic = 0;
  return DISP_E_MEMBERNOTFOUND;
}

HRESULT CElementAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
  return get_accDescription(child, shortcut);
}

HRESULT CElementAccessible::get_accFocus(VARIANT* child) {
  if (child == nullptr) return E_POINTER;
  VariantInit(child);
  if (content_ == nullptr) return CO_E_OBJNOTCONNECTED;
  if (!HasKeyboardFocus(window_)) return S_FALSE;
  const int32_t item = content_->FocusedItem();
  SetChild(child, item >= 0 ? ItemChildId(item) : CHILDID_SELF);
  return S_OK;
}

HRESULT CElementAccessible::get_accSelection(VARIANT* children) {
  if (children == nullptr) return E_POINTER;
  VariantInit(children);
  return content_ == nullptr ? CO_E_OBJNOTCONNECTED : S_FALSE;
}

HRESULT CElementAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
  if (action == nullptr) return E_POINTER;
  *action = nullptr;
  Subject subject = SubjectOf(child);
  if (FAILED(subject.problem)) return subject.problem;
  if (subject.self) return S_FALSE;
  return ReturnText(DefaultActionOf(subject.items[subject.item]), action);
}

HRESULT CElementAccessible::accSelect(long flags, VARIANT child) {
  Subject subject = SubjectOf(child);
  if (FAILED(subject.problem)) return subject.problem;
  if ((flags & SELFLAG_TAKEFOCUS) == 0 || subject.self) return DISP_E_MEMBERNOTFOUND;
  return content_->FocusItem(subject.item) ? S_OK : S_FALSE;
}

HRESULT CElementAccessible::accLocation(long* left, long* top, long* width, long* height,
                                        VARIANT child) {
  if (left == nullptr || top == nullptr || width == nullptr || height == nullptr) {
    return E_POINTER;
  }
  *left = *top = *width = *height = 0;
  Subject subject = SubjectOf(child);
  if (FAILED(subject.problem)) return subject.problem;
  ElementRect area{};
  if (subject.self) {
    RECT client{};
    GetClientRect(window_, &client);
    area = ElementRect{client.left, client.top, client.right, client.bottom};
  } else {
    area = subject.items[subject.item].rect;
  }
  const RECT screen = OnScreen(window_, area);
  *left = screen.left;
  *top = screen.top;
  *width = screen.right - screen.left;
  *height = screen.bottom - screen.top;
  return S_OK;
}

HRESULT CElementAccessible::accNavigate(long direction, VARIANT start, VARIANT* end) {
  if (end == nullptr) return E_POINTER;
  VariantInit(end);
  Subject subject = SubjectOf(start);
  if (FAILED(subject.problem)) return subject.problem;
  if (subject.self) subject.items = content_->AccessibleItems();
  const auto count = static_cast<int32_t>(subject.items.size());
  int32_t from = -1;
  int32_t step = 0;
  switch (direction) {
    case NAVDIR_FIRSTCHILD:
      if (!subject.self) return E_INVALIDARG;
      from = -1;
      step = 1;
      break;
    case NAVDIR_LASTCHILD:
      if (!subject.self) return E_INVALIDARG;
      from = count;
      step = -1;
      break;
    case NAVDIR_NEXT:
    case NAVDIR_PREVIOUS:
      // The client area's own siblings are the window's, which the window's object knows.
      if (subject.self) return S_FALSE;
      from = subject.item;
      step = direction == NAVDIR_NEXT ? 1 : -1;
      break;
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
  for (int32_t item = from + step; item >= 0 && item < count; item += step) {
    if (subject.items[item].visible) {
      SetChild(end, ItemChildId(item));
      return S_OK;
    }
  }
  return S_FALSE;
}

HRESULT CElementAccessible::accHitTest(long x, long y, VARIANT* child) {
  if (child == nullptr) return E_POINTER;
  VariantInit(child);
  if (content_ == nullptr || window_ == nullptr) return CO_E_OBJNOTCONNECTED;
  POINT point{x, y};
  ScreenToClient(window_, &point);
  RECT client{};
  GetClientRect(window_, &client);
  if (!PtInRect(&client, point)) return S_FALSE;
  const std::vector<AccessibleItem> items = content_->AccessibleItems();
  // Later items are drawn over earlier ones.
  for (auto item = static_cast<int32_t>(items.size()) - 1; item >= 0; --item) {
    if (items[item].visible && Contains(items[item].rect, point.x, point.y)) {
      SetChild(child, ItemChildId(item));
      return S_OK;
    }
  }
  SetChild(child, CHILDID_SELF);
  return S_OK;
}

HRESULT CElementAccessible::accDoDefaultAction(VARIANT child) {
  Subject subject = SubjectOf(child);
  if (FAILED(subject.problem)) return subject.problem;
  if (subject.self) return DISP_E_MEMBERNOTFOUND;
  return content_->ActivateItem(subject.item) ? S_OK : DISP_E_MEMBERNOTFOUND;
}

HRESULT CElementAccessible::put_accName(VARIANT, BSTR) { return E_NOTIMPL; }

HRESULT CElementAccessible::put_accValue(VARIANT, BSTR) { return E_NOTIMPL; }

void AnnounceChanges(HWND window, const std::vector<AccessibleEvent>& events) {
  for (const AccessibleEvent& event : events) {
    DWORD kind = EVENT_OBJECT_NAMECHANGE;
    switch (event.change) {
      case AccessibleChange::kShown:
        kind = EVENT_OBJECT_SHOW;
        break;
      case AccessibleChange::kHidden:
        kind = EVENT_OBJECT_HIDE;
        break;
      case AccessibleChange::kNameChanged:
        kind = EVENT_OBJECT_NAMECHANGE;
        break;
      case AccessibleChange::kValueChanged:
        kind = EVENT_OBJECT_VALUECHANGE;
        break;
      case AccessibleChange::kStateChanged:
        kind = EVENT_OBJECT_STATECHANGE;
        break;
    }
    NotifyWinEvent(kind, window, OBJID_CLIENT, ItemChildId(event.item));
  }
}

void AnnounceFocus(HWND window, int32_t item) {
  if (!HasKeyboardFocus(window)) return;
  NotifyWinEvent(EVENT_OBJECT_FOCUS, window, OBJID_CLIENT,
                 item >= 0 ? ItemChildId(item) : CHILDID_SELF);
}
