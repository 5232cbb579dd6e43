// A helper program for the tests: it notes that it was started, and with which parameters, in
// the file "<its own path>.ran" (UTF-16LE, the parameters as one text), then exits. Copies of it
// stand in for the product's updater and client.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  wchar_t self[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 1;
  // Written under another name first, so that the note appears whole.
  std::wstring note = std::wstring(self) + L".ran";
  std::wstring partial = note + L".part";
  // The parameters follow the program name, which may be quoted.
  const wchar_t* parameters = GetCommandLineW();
  bool quoted = *parameters == L'"';
  if (quoted) ++parameters;
  while (*parameters != 0 && (quoted ? *parameters != L'"' : *parameters != L' ')) ++parameters;
  if (quoted && *parameters == L'"') ++parameters;
  while (*parameters == L' ') ++parameters;
  std::wstring text = parameters;
  HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 1;
  DWORD written = 0;
  BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)),
                      &written, nullptr);
  CloseHandle(file);
  return ok && MoveFileExW(partial.c_str(), note.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
