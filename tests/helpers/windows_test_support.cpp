#include "tests/helpers/windows_test_support.h"

#include <windows.h>

#include "support/core/wide_text.h"

std::filesystem::path TestProgramFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return std::filesystem::path(path).parent_path();
}

bool PutResource(const std::u16string& exe, const char16_t* type, int id, const std::string& bytes) {
  HANDLE update = BeginUpdateResourceW(AsWide(exe.c_str()), FALSE);
  if (update == nullptr) return false;
  BOOL put = UpdateResourceW(update, AsWide(type), MAKEINTRESOURCEW(id), 2052,
                             const_cast<char*>(bytes.data()), static_cast<DWORD>(bytes.size()));
  return EndUpdateResourceW(update, !put) && put;
}
