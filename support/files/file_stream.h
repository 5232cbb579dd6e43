#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

// C streams opened by UTF-16 path: _wfopen on Windows, the UTF-8 form of the path elsewhere.
struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileStream = std::unique_ptr<std::FILE, FileCloser>;

FileStream OpenFileStream(const char16_t* path, const char* mode);
FileStream OpenFileStream(const char* path, const char* mode);

// Moves stream to offset from its start; false when it cannot.
bool SeekStream(std::FILE* stream, uint64_t offset);

// Writes n bytes to a new or truncated file. False for a null path or bytes, or a short write.
bool WriteWholeFile(const char16_t* path, const void* bytes, uint32_t n);

// Deletes a file; false when it could not be deleted.
bool RemoveFile(const char16_t* path);
