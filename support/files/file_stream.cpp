#include "support/files/file_stream.h"

#include <cstdint>

#ifdef _WIN32
#include <cwchar>
#else
#include "support/files/filesystem_path.h"
#endif

FileStream OpenFileStream(const char16_t* path, const char* mode) {
  if (path == nullptr || mode == nullptr) return nullptr;
#ifdef _WIN32
  static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wchar_t");
  wchar_t wideMode[8] = {};
  for (int i = 0; i < 7 && mode[i] != 0; ++i) wideMode[i] = static_cast<wchar_t>(mode[i]);
  return FileStream(_wfopen(reinterpret_cast<const wchar_t*>(path), wideMode));
#else
  return FileStream(std::fopen(ToNativePathBytes(path).c_str(), mode));
#endif
}

FileStream OpenFileStream(const char* path, const char* mode) {
  if (path == nullptr || mode == nullptr) return nullptr;
  return FileStream(std::fopen(path, mode));
}

bool SeekStream(std::FILE* stream, uint64_t offset) {
  if (offset > static_cast<uint64_t>(INT64_MAX)) return false;
#ifdef _WIN32
  return _fseeki64(stream, static_cast<int64_t>(offset), SEEK_SET) == 0;
#else
  return fseeko(stream, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

bool WriteWholeFile(const char16_t* path, const void* bytes, uint32_t n) {
  if (path == nullptr || bytes == nullptr) return false;
  FileStream file = OpenFileStream(path, "wb");
  if (!file) return false;
  bool written = std::fwrite(bytes, 1, n, file.get()) == n;
  return std::fclose(file.release()) == 0 && written;
}

bool RemoveFile(const char16_t* path) {
  if (path == nullptr) return false;
#ifdef _WIN32
  return _wremove(reinterpret_cast<const wchar_t*>(path)) == 0;
#else
  return std::remove(ToNativePathBytes(path).c_str()) == 0;
#endif
}
