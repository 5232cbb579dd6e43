#include "support/module_library.h"

#include <windows.h>

#include "support/wide_text.h"

ModuleLibrary::ModuleLibrary(const char16_t* path) {
  if (path == nullptr) return;
  handle_ = LoadLibraryExW(AsWide(path), nullptr,
                           LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
}

ModuleLibrary::~ModuleLibrary() {
  if (handle_ != nullptr) FreeLibrary(static_cast<HMODULE>(handle_));
}
