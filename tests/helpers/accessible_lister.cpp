// A helper program for the window tests: from a process of its own, as a screen reader does, it
// takes the accessible object of the shown install window (the top-level window of the
// framework's class) and prints, in UTF-8, one line for the window and one for each child:
//
//   window<TAB>name<TAB>child count<TAB>child id with the focus (0 the window, -1 none)
//   child<TAB>id<TAB>role<TAB>state<TAB>left<TAB>top<TAB>right<TAB>bottom<TAB>name<TAB>value
//
// role and state are the MSAA numbers, the rectangle is on the screen. Exit status 0 when it
// could ask, 1 when no such window or object was found.
#include <windows.h>
#include <oleacc.h>

#include <cstdio>
#include <string>

#include "support/core/com_scope_windows.h"
#include "support/core/wide_text.h"
#include "support/text/utf8.h"
#include "tests/helpers/accessible_child.h"

namespace {

// The framework's window class is named with one space.
constexpr wchar_t kWindowClass[] = L" ";

HWND FindInstallWindow() {
  HWND found = nullptr;
  EnumWindows(
      [](HWND window, LPARAM out) -> BOOL {
        wchar_t name[8] = {};
        if (IsWindowVisible(window) && GetClassNameW(window, name, 8) > 0 &&
            std::wstring(name) == kWindowClass) {
          *reinterpret_cast<HWND*>(out) = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

// Text without the characters that separate the fields.
std::string Field(BSTR text) {
  std::string out = text != nullptr ? Utf16ToUtf8(AsUtf16(text), SysStringLen(text)) : "";
  for (char& c : out) {
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  }
  return out;
}

std::string Name(IAccessible* object, const VARIANT& child) {
  BSTR text = nullptr;
  std::string name = SUCCEEDED(object->get_accName(child, &text)) ? Field(text) : "";
  SysFreeString(text);
  return name;
}

std::string Value(IAccessible* object, const VARIANT& child) {
  BSTR text = nullptr;
  std::string value = SUCCEEDED(object->get_accValue(child, &text)) ? Field(text) : "";
  SysFreeString(text);
  return value;
}

long Number(IAccessible* object, const VARIANT& child, bool role) {
  VARIANT answer;
  VariantInit(&answer);
  const HRESULT result =
      role ? object->get_accRole(child, &answer) : object->get_accState(child, &answer);
  return SUCCEEDED(result) && answer.vt == VT_I4 ? answer.lVal : -1;
}

}  // namespace

int main() {
  ComApartment apartment;
  HWND window = FindInstallWindow();
  if (window == nullptr) {
    std::fprintf(stderr, "no install window\n");
    return 1;
  }
  ComPtr<IAccessible> object;
  const HRESULT found = AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT),
                                                   __uuidof(IAccessible), object.Receive());
  if (FAILED(found) || !object) {
    std::fprintf(stderr, "no accessible object (0x%08lx)\n", static_cast<unsigned long>(found));
    return 1;
  }
  long count = 0;
  object->get_accChildCount(&count);
  VARIANT focus;
  VariantInit(&focus);
  long focused = -1;
  if (object->get_accFocus(&focus) == S_OK && focus.vt == VT_I4) focused = focus.lVal;
  std::printf("window\t%s\t%ld\t%ld\n",
              Name(object.operator->(), AccessibleChild(CHILDID_SELF)).c_str(), count, focused);
  for (long id = 1; id <= count; ++id) {
    const VARIANT child = AccessibleChild(id);
    long left = 0, top = 0, width = 0, height = 0;
    object->accLocation(&left, &top, &width, &height, child);
    std::printf("child\t%ld\t%ld\t%ld\t%ld\t%ld\t%ld\t%ld\t%s\t%s\n", id,
                Number(object.operator->(), child, true), Number(object.operator->(), child, false),
                left, top, left + width, top + height, Name(object.operator->(), child).c_str(),
                Value(object.operator->(), child).c_str());
  }
  return 0;
}
