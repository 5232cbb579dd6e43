#include "support/pe/module_library.h"

#include <windows.h>

#include "support/core/wide_text.h"

ModuleLibrary::ModuleLibrary(const char16_t* path) {
  if (path == nullptr) return;
  // A bare file name would be looked up along the library search path, starting with the
  // running program's folder: the file meant is the one the path names from the current folder.
  wchar_t fullPath[MAX_PATH];
  DWORD length = GetFullPathNameW(AsWide(path), MAX_PATH, fullPath, nullptr);
  if (length == 0 || length >= MAX_PATH) return;
  handle_ = LoadLibraryExW(fullPath, nullptr,
                           LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
}

ModuleLibrary::~ModuleLibrary() {
  if (handle_ != nullptr) FreeLibrary(static_cast<HMODULE>(handle_));
}
