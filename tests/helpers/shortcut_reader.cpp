#include "tests/helpers/shortcut_reader.h"

#include <shlobj.h>

#include "support/core/com_scope_windows.h"
#include "support/system/shortcuts.h"
#include "support/text/path_text.h"

LinkContent ReadShortcut(const std::filesystem::path& link) {
  LinkContent content;
  ComApartment apartment;
  ComPtr<IShellLinkW> shellLink;
  ComPtr<IPersistFile> file;
  wchar_t target[MAX_PATH] = {};
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              shellLink.Receive())) ||
      FAILED(shellLink->QueryInterface(IID_IPersistFile, file.Receive())) ||
      FAILED(file->Load(link.c_str(), STGM_READ)) ||
      FAILED(shellLink->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH)) ||
      FAILED(shellLink->GetHotkey(&content.hotKey))) {
    return {u"<unreadable>", 0xFFFF};
  }
  content.target = reinterpret_cast<const char16_t*>(target);
  return content;
}

std::filesystem::path SpecialFolder(int id) {
  char16_t folder[kPathCapacity];
  return GetSpecialFolder(folder, id) ? std::filesystem::path(folder) : std::filesystem::path();
}
