#pragma once

#include <windows.h>

#include <memory>

// Owns a search that FindFirstFileW started and closes it.
struct FindCloser {
  void operator()(HANDLE find) const { FindClose(find); }
};
using FindHandle = std::unique_ptr<void, FindCloser>;
