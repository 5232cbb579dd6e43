// The packaging tool's system services on Windows.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/core/handle_windows.h"
#include "support/core/wide_text.h"
#include "support/system/process_control.h"
#include "support/text/utf8.h"
#include "tools/setupkit/host_system.h"

namespace {

// One argument as the C runtime's command-line parser reads it back whole: quoted, with the
// backslashes before a quote (or the closing quote) doubled and quotes escaped.
void AppendQuoted(std::u16string& line, const std::u16string& argument) {
  line += u'"';
  size_t backslashes = 0;
  for (char16_t unit : argument) {
    if (unit == u'\\') {
      ++backslashes;
      continue;
    }
    line.append(unit == u'"' ? 2 * backslashes + 1 : backslashes, u'\\');
    backslashes = 0;
    line += unit;
  }
  line.append(2 * backslashes, u'\\');
  line += u'"';
}

}  // namespace

std::u16string ToolFolder() {
  char16_t folder[MAX_PATH] = {};
  return GetModuleFolder(folder, nullptr) ? folder : u"";
}

bool ReadEnvironment(const char* name, std::string& value) {
  const std::u16string wideName = Utf8ToUtf16(name);
  const wchar_t* found = _wgetenv(AsWide(wideName.c_str()));
  if (found == nullptr) return false;
  value = Utf16ToUtf8(AsUtf16(found));
  return true;
}

std::u16string FindOnPath(const char16_t* name) {
  wchar_t found[MAX_PATH];
  const DWORD length = SearchPathW(nullptr, AsWide(name), L".exe", MAX_PATH, found, nullptr);
  if (length == 0 || length >= MAX_PATH) return u"";
  // A program found by name alone, without its extension, would be one the system cannot start.
  const std::u16string path = AsUtf16(found);
  if (path.size() < 4 || CompareStringOrdinal(AsWide(path.c_str() + path.size() - 4), 4, L".exe",
                                              4, TRUE) != CSTR_EQUAL) {
    return u"";
  }
  return path;
}

int RunAndWait(const std::u16string& program, const std::vector<std::u16string>& arguments,
               std::string& output) {
  output.clear();
  std::u16string line;
  AppendQuoted(line, program);
  for (const std::u16string& argument : arguments) {
    line += u' ';
    AppendQuoted(line, argument);
  }
  SECURITY_ATTRIBUTES inheritable = {sizeof inheritable, nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) return -1;
  Handle reader(readEnd);
  Handle writer(writeEnd);
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  Handle nothing(CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             &inheritable, OPEN_EXISTING, 0, nullptr));
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nothing.Get();
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  PROCESS_INFORMATION started = {};
  std::vector<wchar_t> commandLine(line.begin(), line.end());
  commandLine.push_back(0);
  if (!CreateProcessW(AsWide(program.c_str()), commandLine.data(), nullptr, nullptr, TRUE,
                      CREATE_NO_WINDOW, nullptr, nullptr, &startup, &started)) {
    return -1;
  }
  Handle process(started.hProcess);
  Handle thread(started.hThread);
  // Only the child holds the writing end now, so the reads end when it does.
  writer.Reset(nullptr);
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(readEnd, buffer, sizeof buffer, &read, nullptr) && read != 0) {
    output.append(buffer, read);
  }
  DWORD status = 0;
  if (WaitForSingleObject(process.Get(), INFINITE) != WAIT_OBJECT_0 ||
      !GetExitCodeProcess(process.Get(), &status)) {
    return -1;
  }
  return static_cast<int>(status);
}

std::u16string MakePrivateFolder() {
  // The user's temporary folder is the user's own; the new folder inherits that.
  wchar_t temp[MAX_PATH + 1];
  const DWORD length = GetTempPathW(MAX_PATH + 1, temp);
  if (length == 0 || length > MAX_PATH - 32) return u"";
  for (int attempt = 0; attempt < 100; ++attempt) {
    wchar_t folder[MAX_PATH];
    swprintf(folder, MAX_PATH, L"%lssetupkit-%08lx-%d\\", temp, GetCurrentProcessId(), attempt);
    if (CreateDirectoryW(folder, nullptr)) return AsUtf16(folder);
    if (GetLastError() != ERROR_ALREADY_EXISTS) return u"";
  }
  return u"";
}

PathKind KindOfPath(const std::u16string& path) {
  // Opened for no access at all, which a folder and a device allow as well as a file.
  Handle opened(CreateFileW(AsWide(path.c_str()), 0,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!opened.Valid()) return PathKind::kNothing;
  if (GetFileType(opened.Get()) != FILE_TYPE_DISK) return PathKind::kDevice;
  BY_HANDLE_FILE_INFORMATION information;
  if (!GetFileInformationByHandle(opened.Get(), &information)) return PathKind::kNothing;
  return (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::kFolder
                                                                        : PathKind::kFile;
}

bool UpperCaseName(const std::u16string& name, std::u16string& upper) {
  upper = name;
  // A unit at a time, so that a surrogate pair stays as it is, as the file system keeps it.
  for (char16_t& unit : upper) {
    if (unit >= 0xD800 && unit <= 0xDFFF) continue;
    wchar_t mapped = 0;
    if (LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, AsWide(&unit), 1, &mapped, 1, nullptr,
                      nullptr, 0) != 1) {
      return false;
    }
    unit = static_cast<char16_t>(mapped);
  }
  return true;
}
