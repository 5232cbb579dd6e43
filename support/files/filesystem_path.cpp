#include "support/files/filesystem_path.h"

#include <system_error>

#ifndef _WIN32
#include "support/text/utf8.h"
#endif

#ifndef _WIN32
std::string ToNativePathBytes(const char16_t* path) {
  std::string bytes = Utf16ToUtf8(path);
  for (char& c : bytes) {
    if (c == '\\') c = '/';
  }
  return bytes;
}
#endif

std::filesystem::path ToFilesystemPath(const char16_t* path) {
  if (path == nullptr) return {};
#ifdef _WIN32
  return std::filesystem::path(std::u16string(path));
#else
  return std::filesystem::path(ToNativePathBytes(path));
#endif
}
