#include "support/filesystem_path.h"

#include <system_error>

#ifndef _WIN32
#include "support/utf8.h"
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

bool GetFileSize(const char16_t* path, uint64_t* size) {
  if (path == nullptr || size == nullptr) return false;
  std::error_code error;
  std::filesystem::path native = ToFilesystemPath(path);
  if (!std::filesystem::is_regular_file(native, error)) return false;
  *size = std::filesystem::file_size(native, error);
  return !error;
}
