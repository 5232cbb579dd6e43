#include "support/system/process_control.h"

#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <cwchar>

#include "support/core/handle_windows.h"
#include "support/core/wide_text.h"
#include "support/text/ascii_text.h"

namespace {

constexpr int kNamesCapacity = 261;

bool Contains(const char16_t* text, const char16_t* part) {
  return std::wcsstr(AsWide(text), AsWide(part)) != nullptr;
}

bool RunsFrom(uint32_t processId, const char16_t* path) {
  Handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
  if (!process.Valid()) return false;
  wchar_t image[MAX_PATH];
  DWORD size = MAX_PATH;
  return QueryFullProcessImageNameW(process.Get(), 0, image, &size) &&
         CompareStringOrdinal(image, -1, AsWide(path), -1, TRUE) == CSTR_EQUAL;
}

// The first process, in snapshot order, whose lower-cased executable name occurs in the
// lower-cased names and which passes accept; 0 when none does.
template <class Accept>
uint32_t FindProcessNamedIn(const char16_t* names, Accept accept) {
  if (names == nullptr) return 0;
  char16_t wanted[kNamesCapacity] = {};
  for (int i = 0; i < kNamesCapacity - 1 && names[i] != 0; ++i) wanted[i] = names[i];
  ToLowerAscii(wanted, -1);

  Handle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.Valid()) return 0;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more;
       more = Process32NextW(snapshot.Get(), &entry)) {
    char16_t* exe = AsUtf16(entry.szExeFile);
    ToLowerAscii(exe, -1);
    if (exe[0] != 0 && Contains(wanted, exe) && accept(entry.th32ProcessID)) {
      return entry.th32ProcessID;
    }
  }
  return 0;
}

}  // namespace

bool RunProgram(const char16_t* file, const char16_t* parameters, bool show, void** process) {
  if (file == nullptr) return false;
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_DOENVSUBST |
               SEE_MASK_FLAG_NO_UI | SEE_MASK_NO_CONSOLE | SEE_MASK_FLAG_LOG_USAGE;
  info.lpVerb = L"open";
  info.lpFile = AsWide(file);
  info.lpParameters = AsWide(parameters);
  info.nShow = show ? SW_SHOWNORMAL : SW_HIDE;
  if (!ShellExecuteExW(&info)) return false;
  if (process != nullptr) {
    *process = info.hProcess;
  } else if (info.hProcess != nullptr) {
    CloseHandle(info.hProcess);
  }
  return true;
}

bool GetModuleFolder(char16_t* buffer, ModuleHandle module) {
  if (buffer == nullptr) return false;
  DWORD length = GetModuleFileNameW(static_cast<HMODULE>(module), AsWide(buffer), MAX_PATH);
  // A path that filled the buffer was cut: its folder would be a different folder.
  if (length == 0 || length >= MAX_PATH) return false;
  char16_t* lastSlash = FindLastChar(buffer, u'\\', static_cast<int>(length));
  if (lastSlash == nullptr) return false;
  lastSlash[1] = 0;
  return true;
}

uint32_t FindProcess(const char16_t* names) {
  return FindProcessNamedIn(names, [](uint32_t) { return true; });
}

uint32_t FindProcessRunningFrom(const char16_t* path) {
  return FindProcessNamedIn(path, [path](uint32_t processId) { return RunsFrom(processId, path); });
}

bool IsProcessRunning(uint32_t processId) {
  Handle process(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId));
  if (!process.Valid()) return false;
  DWORD exitCode = 0;
  return GetExitCodeProcess(process.Get(), &exitCode) && exitCode == STILL_ACTIVE;
}

bool KillProcess(uint32_t processId, uint32_t waitMilliseconds) {
  Handle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId));
  if (!process.Valid()) return false;
  if (!TerminateProcess(process.Get(), 0)) return false;
  if (waitMilliseconds != 0) WaitForSingleObject(process.Get(), waitMilliseconds);
  return true;
}
