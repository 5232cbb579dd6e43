#include "uninstaller/self_removal.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <cwchar>
#include <memory>
#include <string>

#include "product/program_launch.h"
#include "records/client_info.h"
#include "support/core/handle_windows.h"
#include "support/core/wide_text.h"
#include "support/files/folder_tree.h"
#include "support/text/path_text.h"

namespace {

// The copy's command line: this word and the handle, inherited from the uninstaller, of the
// uninstaller's process.
constexpr char16_t kRemovalWord[] = u"remove-after";
constexpr DWORD kEndWaitMs = 60000;
constexpr int kDeleteTries = 50;
constexpr DWORD kDeletePauseMs = 100;

struct LocalFreer {
  void operator()(wchar_t** block) const { LocalFree(block); }
};

void RemoveAtRestart(const wchar_t* path) {
  MoveFileExW(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

// The folder part of path, without its trailing backslash.
std::wstring FolderOf(const wchar_t* path) {
  std::wstring folder(path);
  const size_t separator = folder.rfind(L'\\');
  folder.resize(separator == std::wstring::npos ? 0 : separator);
  return folder;
}

bool StartCopy(const char16_t* copy) {
  HANDLE self = nullptr;
  if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &self,
                       SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, TRUE, 0)) {
    return false;
  }
  Handle inherited(self);
  std::wstring commandLine = L"\"" + std::wstring(AsWide(copy)) + L"\" " + AsWide(kRemovalWord) +
                             L" " + std::to_wstring(reinterpret_cast<uintptr_t>(self));
  // Started in the temporary folder: a process's current folder cannot be removed.
  const std::wstring temp = FolderOf(AsWide(copy));
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION started = {};
  if (!CreateProcessW(AsWide(copy), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                      temp.c_str(), &startup, &started)) {
    return false;
  }
  CloseHandle(started.hThread);
  CloseHandle(started.hProcess);
  return true;
}

// The process handle on a removal copy's command line; null for any other command line.
HANDLE RemovalCopyProcess(const char16_t* commandLine) {
  int count = 0;
  std::unique_ptr<wchar_t*, LocalFreer> arguments(CommandLineToArgvW(AsWide(commandLine), &count));
  if (!arguments || count != 3 || AsUtf16(arguments.get()[1]) != std::u16string(kRemovalWord)) {
    return nullptr;
  }
  wchar_t* end = nullptr;
  const unsigned long long value = std::wcstoull(arguments.get()[2], &end, 10);
  if (end == arguments.get()[2] || *end != 0 || value == 0) return nullptr;
  return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(value));
}

bool IsNamed(const wchar_t* path, const char16_t* name) {
  const wchar_t* file = std::wcsrchr(path, L'\\');
  return file != nullptr &&
         CompareStringOrdinal(file + 1, -1, AsWide(name), -1, TRUE) == CSTR_EQUAL;
}

bool DeleteWhenReleased(const wchar_t* path) {
  for (int i = 0; i < kDeleteTries; ++i) {
    if (DeleteFileW(path) || GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) return true;
    Sleep(kDeletePauseMs);
  }
  return false;
}

// The uninstaller's own files that undoing a change to them moved aside while it ran
// ("unins000.exe.del~01", ...): nothing runs them once it has ended.
void DeleteMovedAside(const std::wstring& folder, const char16_t* name) {
  const std::wstring pattern = folder + L"\\" + AsWide(name) + L".del~*";
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    DeleteWhenReleased((folder + L"\\" + found.cFileName).c_str());
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

}  // namespace

void RemoveAfterExit(const IClientInfo& product, const char16_t* self) {
  char16_t copy[kPathCapacity];
  if (TempProgramCopyPath(product.GetApp().Units(), u"uninstall", copy) &&
      CopyFileW(AsWide(self), AsWide(copy), FALSE) && StartCopy(copy)) {
    return;
  }
  RemoveAtRestart(AsWide(self));
  RemoveAtRestart(FolderOf(AsWide(self)).c_str());
}

bool RunRemovalCopy(const IClientInfo& product, const char16_t* commandLine, int* exitCode) {
  HANDLE handed = RemovalCopyProcess(commandLine);
  if (handed == nullptr) return false;
  Handle uninstaller(handed);
  *exitCode = 1;
  wchar_t image[MAX_PATH];
  DWORD size = MAX_PATH;
  // Only ever the product's uninstaller, whatever a command line claims.
  if (!QueryFullProcessImageNameW(uninstaller.Get(), 0, image, &size) ||
      !IsNamed(image, product.GetUninstallerFile().Units())) {
    return true;
  }
  WaitForSingleObject(uninstaller.Get(), kEndWaitMs);
  const std::wstring folder = FolderOf(image);
  DeleteMovedAside(folder, product.GetUninstallerFile().Units());
  if (DeleteWhenReleased(image)) {
    RemoveEmptyFolder(AsUtf16(folder.c_str()));
  } else {
    RemoveAtRestart(image);
    RemoveAtRestart(folder.c_str());
  }
  wchar_t own[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, own, MAX_PATH);
  if (length > 0 && length < MAX_PATH) RemoveAtRestart(own);
  *exitCode = 0;
  return true;
}
