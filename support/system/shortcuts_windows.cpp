#include "support/system/shortcuts.h"

#include <windows.h>
#include <shlobj.h>

#include "support/core/com_scope_windows.h"
#include "support/core/wide_text.h"

namespace {

WORD HotKeyCode(char16_t hotKey) {
  if (hotKey >= u'a' && hotKey <= u'z') hotKey -= u'a' - u'A';
  return MAKEWORD(static_cast<BYTE>(hotKey), HOTKEYF_CONTROL | HOTKEYF_SHIFT);
}

}  // namespace

bool GetSpecialFolder(char16_t* out, int folderId) {
  if (out == nullptr) return false;
  out[0] = 0;
  PIDLIST_ABSOLUTE items = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, folderId, &items)) || items == nullptr) {
    return false;
  }
  bool found = SHGetPathFromIDListW(items, AsWide(out)) && out[0] != 0;
  CoTaskMemFree(items);
  return found;
}

bool CreateShortcut(const char16_t* target, const char16_t* link, char16_t hotKey) {
  if (target == nullptr || link == nullptr) return false;
  ComApartment apartment;
  ComPtr<IShellLinkW> shellLink;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              shellLink.Receive())) ||
      FAILED(shellLink->SetPath(AsWide(target)))) {
    return false;
  }
  if (hotKey != 0 && FAILED(shellLink->SetHotkey(HotKeyCode(hotKey)))) return false;
  ComPtr<IPersistFile> file;
  if (FAILED(shellLink->QueryInterface(IID_IPersistFile, file.Receive()))) return false;
  if (FAILED(file->Save(AsWide(link), TRUE))) return false;
  SHChangeNotify(SHCNE_CREATE, SHCNF_PATHW | SHCNF_FLUSH, AsWide(link), nullptr);
  return true;
}
