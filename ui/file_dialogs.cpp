#include "ui/file_dialogs.h"

#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

#include <atomic>
#include <string>

#include "records/current_language.h"
#include "support/core/wide_text.h"
#include "support/text/file_filter.h"

namespace {

constexpr int kFileResultCapacity = 2048;
constexpr int kFolderPathCapacity = MAX_PATH;

bool ShowOpenFileDialog(void* owner, const char16_t* filter, bool allowMultiple, char16_t* result,
                        int resultCapacity, int* chosenFilter) {
  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = static_cast<HWND>(owner);
  dialog.lpstrFilter = AsWide(filter);
  dialog.lpstrFile = AsWide(result);
  dialog.nMaxFile = static_cast<DWORD>(resultCapacity);
  dialog.Flags = OFN_EXPLORER | (allowMultiple ? OFN_ALLOWMULTISELECT : 0);
  if (!GetOpenFileNameW(&dialog)) return false;
  *chosenFilter = static_cast<int>(dialog.nFilterIndex);
  return true;
}

bool ShowFolderBrowser(void* owner, const char16_t* title, char16_t* path) {
  BROWSEINFOW browse = {};
  browse.hwndOwner = static_cast<HWND>(owner);
  browse.lpszTitle = AsWide(title);
  browse.ulFlags = BIF_RETURNONLYFSDIRS;
  PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&browse);
  if (item == nullptr) return false;
  bool resolved = SHGetPathFromIDListW(item, AsWide(path));
  CoTaskMemFree(item);
  return resolved;
}

std::atomic<FileChooserFunction> fileChooser{ShowOpenFileDialog};
std::atomic<FolderChooserFunction> folderChooser{ShowFolderBrowser};

// Copies a zero-terminated text into out when it fits whole.
bool CopyWhole(const char16_t* text, char16_t* out, int outCapacity) {
  std::u16string value(text);
  if (value.size() >= static_cast<size_t>(outCapacity)) return false;
  value.copy(out, value.size());
  out[value.size()] = 0;
  return true;
}

}  // namespace

bool ChooseFile(char16_t* out, int outCapacity, void* owner, const char16_t* extensions,
                bool allowMultiple) {
  if (out == nullptr || outCapacity <= 0 || extensions == nullptr) return false;
  std::u16string filter = BuildFileFilter(extensions);
  char16_t result[kFileResultCapacity] = {};
  int chosenFilter = 0;
  // The result buffer keeps a zero of its own at the end, so a full result stays terminated.
  if (!fileChooser.load()(owner, filter.c_str(), allowMultiple, result, kFileResultCapacity - 1,
                          &chosenFilter)) {
    return false;
  }
  return chosenFilter == 1 && CopyWhole(result, out, outCapacity);
}

bool ChooseFolder(char16_t* out, int outCapacity, void* owner, const char16_t* title) {
  if (out == nullptr || outCapacity <= 0) return false;
  char16_t path[kFolderPathCapacity + 1] = {};
  const std::u16string shownTitle = title != nullptr ? title : Text(TextKey::kWindowChooseFolder);
  if (!folderChooser.load()(owner, shownTitle.c_str(), path)) {
    return false;
  }
  return path[0] != 0 && CopyWhole(path, out, outCapacity);
}

FileChooserFunction ReplaceFileChooser(FileChooserFunction replacement) {
  return fileChooser.exchange(replacement != nullptr ? replacement : ShowOpenFileDialog);
}

FolderChooserFunction ReplaceFolderChooser(FolderChooserFunction replacement) {
  return folderChooser.exchange(replacement != nullptr ? replacement : ShowFolderBrowser);
}
