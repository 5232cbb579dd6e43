#include "tests/helpers/directory_link.h"

#include <windows.h>

#include <initializer_list>
#include <string>

#include "support/core/handle_windows.h"

namespace {

bool IsReparsePoint(const std::filesystem::path& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

std::wstring Wide(const std::string& utf8) { return std::filesystem::u8path(utf8).wstring(); }

// Wine's own conversions between its Unix and Windows paths, found by name; they answer with
// text on the process heap.
template <class Function>
Function WineFunction(const char* name) {
  FARPROC found = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), name);
  // Through void*: the exported function's real type is known only by its name.
  return reinterpret_cast<Function>(reinterpret_cast<void*>(found));
}

// The Unix path of a Windows path; empty outside Wine.
std::string UnixPath(const std::filesystem::path& path) {
  auto convert = WineFunction<char* (*)(const wchar_t*)>("wine_get_unix_file_name");
  char* unix = convert != nullptr ? convert(path.c_str()) : nullptr;
  if (unix == nullptr) return "";
  std::string result = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  return result;
}

// The Windows path of a Unix program; empty outside Wine.
std::wstring WindowsPath(const char* unixPath) {
  auto convert = WineFunction<wchar_t* (*)(const char*)>("wine_get_dos_file_name");
  wchar_t* dos = convert != nullptr ? convert(unixPath) : nullptr;
  if (dos == nullptr) return L"";
  std::wstring result = dos;
  HeapFree(GetProcessHeap(), 0, dos);
  return result;
}

// Starts a Unix program with arguments (each quoted), then waits up to 10 seconds for done to
// hold: Wine's handle of a Unix process cannot be waited on.
template <class Condition>
bool RunUnixProgram(const char* program, std::initializer_list<std::string> arguments,
                    Condition done) {
  std::wstring path = WindowsPath(program);
  if (path.empty()) return false;
  std::wstring command = L"\"" + path + L"\"";
  for (const std::string& argument : arguments) command += L" \"" + Wide(argument) + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(path.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return false;
  }
  Handle processHandle(process.hProcess);
  Handle threadHandle(process.hThread);
  for (int i = 0; i < 1000 && !done(); ++i) Sleep(10);
  return done();
}

}  // namespace

bool MakeDirectoryLink(const std::filesystem::path& link, const std::filesystem::path& target) {
  CreateSymbolicLinkW(link.c_str(), target.c_str(),
                      SYMBOLIC_LINK_FLAG_DIRECTORY | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
  if (IsReparsePoint(link)) return true;
  std::string unixTarget = UnixPath(target);
  std::string unixLink = UnixPath(link);
  return !unixTarget.empty() && !unixLink.empty() &&
         RunUnixProgram("/bin/ln", {"-s", unixTarget, unixLink},
                        [&] { return IsReparsePoint(link); });
}

bool RemoveDirectoryLink(const std::filesystem::path& link) {
  if (!IsReparsePoint(link)) return true;
  if (RemoveDirectoryW(link.c_str())) return true;
  std::string unixLink = UnixPath(link);
  return !unixLink.empty() &&
         RunUnixProgram("/bin/rm", {unixLink}, [&] { return !IsReparsePoint(link); });
}
