#pragma once

#include <memory>

// A WinINet handle (an HINTERNET), closed when it goes. Declared without the Windows headers so
// that classes holding one can be named by portable code.
struct InternetHandleCloser {
  void operator()(void* handle) const;
};
using InternetHandle = std::unique_ptr<void, InternetHandleCloser>;
