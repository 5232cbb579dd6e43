#include "uninstaller/self_removal.h"

#include <windows.h>

#include <cstdlib>
#include <cwchar>
#include <string>

#include "install/exit_codes.h"
#include "product/program_launch.h"
#include "product/uninstall_list_file.h"
#include "records/client_info.h"
#include "startup/command_line.h"
#include "startup/run_start.h"
#include "support/core/handle_windows.h"
#include "support/core/wide_text.h"
#include "support/files/folder_tree.h"
#include "support/system/run_log.h"
#include "support/text/path_text.h"
#include "support/text/system_error_text.h"

namespace {

// The copy's command line: this word and the handle, inherited from the uninstaller, of the
// uninstaller's process.
constexpr char16_t kRemovalWord[] = u"remove-after";
// How long the copy waits for the uninstaller to end, and then for what it removes to be
// released by whoever holds it: whatever happens, the copy ends.
constexpr DWORD kEndWaitMs = 60000;
constexpr ULONGLONG kReleaseWaitMs = 5000;
constexpr DWORD kDeletePauseMs = 100;

// Leaves path to be removed when Windows next starts. False, logged with the system's reason,
// when that cannot be arranged: path then stays.
bool RemoveAtRestart(const wchar_t* path) {
  if (MoveFileExW(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) return true;
  LogLine(u"not left to the next start of Windows: " + std::u16string(AsUtf16(path)) + u": " +
          SystemErrorText(GetLastError()));
  return false;
}

// The folder part of path, without its trailing backslash.
std::wstring FolderOf(const wchar_t* path) {
  std::wstring folder(path);
  const size_t separator = folder.rfind(L'\\');
  folder.resize(separator == std::wstring::npos ? 0 : separator);
  return folder;
}

std::wstring ListIn(const std::wstring& folder) {
  return folder + L"\\" + AsWide(kUninstallListName);
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
  // The copy's lines follow the uninstaller's in its log, the deployer's /LOG among them.
  const std::u16string log = RunLogPath();
  if (!log.empty()) commandLine += L" /LOG=\"" + std::wstring(AsWide(log.c_str())) + L"\"";
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
HANDLE RemovalCopyProcess(const std::vector<std::u16string>& arguments) {
  if (arguments.size() < 3 || arguments.size() > 4 || arguments[1] != kRemovalWord) return nullptr;
  const wchar_t* number = AsWide(arguments[2].c_str());
  wchar_t* end = nullptr;
  const unsigned long long value = std::wcstoull(number, &end, 10);
  if (end == number || *end != 0 || value == 0) return nullptr;
  return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(value));
}

bool IsNamed(const wchar_t* path, const char16_t* name) {
  const wchar_t* file = std::wcsrchr(path, L'\\');
  return file != nullptr &&
         CompareStringOrdinal(file + 1, -1, AsWide(name), -1, TRUE) == CSTR_EQUAL;
}

// Deletes path, trying again while another program holds it, until deadline (a GetTickCount64
// time). ERROR_SUCCESS when it is gone, also when it was never there; else the system's error.
DWORD DeleteBy(const wchar_t* path, ULONGLONG deadline) {
  for (;;) {
    if (DeleteFileW(path)) return ERROR_SUCCESS;
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return ERROR_SUCCESS;
    if (GetTickCount64() >= deadline) return error;
    Sleep(kDeletePauseMs);
  }
}

// Logs what became of path, the system's reason and the programs holding it when it stays.
// True when it is gone.
bool LoggedRemoval(const std::wstring& path, DWORD error) {
  const std::u16string name = AsUtf16(path.c_str());
  if (error == ERROR_SUCCESS) {
    LogLine(u"removed: " + name);
    return true;
  }
  const std::u16string holders = FileHolderText(name.c_str());
  LogLine(u"not removed: " + name + u": " + SystemErrorText(error) +
          (holders.empty() ? u"" : u" (" + holders + u")"));
  return false;
}

// The uninstaller's own files that undoing a change to them moved aside while it ran
// ("unins000.exe.del~01", ...): nothing runs them once it has ended.
void DeleteMovedAside(const std::wstring& folder, const char16_t* name, ULONGLONG deadline) {
  const std::wstring pattern = folder + L"\\" + AsWide(name) + L".del~*";
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring path = folder + L"\\" + found.cFileName;
    LoggedRemoval(path, DeleteBy(path.c_str(), deadline));
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

// The copy's work once the uninstaller has ended: its file, then the list, then the folder when
// that is empty. True when the file and the list are gone.
bool RemoveUninstaller(const wchar_t* image, const char16_t* name) {
  const std::wstring folder = FolderOf(image);
  const ULONGLONG deadline = GetTickCount64() + kReleaseWaitMs;
  DeleteMovedAside(folder, name, deadline);
  // While its file stays, the list stays with it, for the uninstaller to be run again; the next
  // start of Windows removes them both, should that come first.
  const std::wstring list = ListIn(folder);
  if (!LoggedRemoval(image, DeleteBy(image, deadline))) {
    RemoveAtRestart(image);
    RemoveAtRestart(list.c_str());
    RemoveAtRestart(folder.c_str());
    return false;
  }
  if (!LoggedRemoval(list, DeleteBy(list.c_str(), deadline))) {
    RemoveAtRestart(list.c_str());
    RemoveAtRestart(folder.c_str());
    return false;
  }
  const std::u16string emptied = AsUtf16(folder.c_str());
  if (RemoveEmptyFolder(emptied.c_str())) LogLine(u"removed: " + emptied);
  return true;
}

}  // namespace

LeftAfterExit RemoveAfterExit(const IClientInfo& product, const char16_t* self) {
  char16_t copy[kPathCapacity];
  const std::u16string left =
      std::u16string(self) + u", " + kUninstallListName + u" and the folder";
  if (TempProgramCopyPath(product.GetApp().Units(), u"uninstall", copy) &&
      CopyFileW(AsWide(self), AsWide(copy), FALSE) && StartCopy(copy)) {
    LogLine(u"left to " + std::u16string(copy) + u" once this run ends: " + left);
    return {};
  }
  LogLine(u"no copy of the uninstaller could start: " + left +
          u" are left to the next start of Windows");
  const std::wstring folder = FolderOf(AsWide(self));
  LeftAfterExit afterExit;
  for (const std::wstring& path : {std::wstring(AsWide(self)), ListIn(folder), folder}) {
    if (RemoveAtRestart(path.c_str())) {
      afterExit.atRestart = true;
    } else {
      afterExit.stays.push_back(AsUtf16(path.c_str()));
    }
  }
  return afterExit;
}

bool RunRemovalCopy(const IClientInfo& product, const std::vector<std::u16string>& arguments,
                    int* exitCode) {
  HANDLE handed = RemovalCopyProcess(arguments);
  if (handed == nullptr) return false;
  Handle uninstaller(handed);
  *exitCode = kExitNotRemoved;
  wchar_t image[MAX_PATH];
  DWORD size = MAX_PATH;
  // Only ever the product's uninstaller, whatever a command line claims.
  if (!QueryFullProcessImageNameW(uninstaller.Get(), 0, image, &size) ||
      !IsNamed(image, product.GetUninstallerFile().Units())) {
    return true;
  }
  const bool ended = WaitForSingleObject(uninstaller.Get(), kEndWaitMs) == WAIT_OBJECT_0;
  // Logged once the uninstaller's own lines are all in.
  RunSwitches unattended = ReadSwitches(arguments, kSwitchLog);
  unattended.given |= kSwitchSilent;
  BeginRun(product, u"unins000", unattended);
  if (!ended) {
    LogLine(u"the uninstaller did not end in time: " + std::u16string(AsUtf16(image)) + u" and " +
            kUninstallListName + u" stay for it to be run again");
  }
  *exitCode = ended && RemoveUninstaller(image, product.GetUninstallerFile().Units())
                  ? kExitRemoved
                  : kExitEntriesLeft;
  wchar_t own[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, own, MAX_PATH);
  if (length > 0 && length < MAX_PATH) RemoveAtRestart(own);
  EndRun(*exitCode);
  return true;
}
