#pragma once

#include "support/core/module_handle.h"

// An executable file loaded as a library for reading its resources; released on destruction.
// Loaded as a data file, so nothing of it runs and an executable of another kind still opens.
class ModuleLibrary {
 public:
  explicit ModuleLibrary(const char16_t* path);
  ~ModuleLibrary();
  ModuleLibrary(const ModuleLibrary&) = delete;
  ModuleLibrary& operator=(const ModuleLibrary&) = delete;

  // Null when the file could not be loaded.
  ModuleHandle Handle() const { return handle_; }

 private:
  ModuleHandle handle_ = nullptr;
};
