#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

// Paths are built Windows-style everywhere (backslash separators). Outside Windows they reach the
// file system as UTF-8 with the backslashes turned into slashes, so the native build can walk and
// write the same paths the installer does.
std::filesystem::path ToFilesystemPath(const char16_t* path);
#ifndef _WIN32
std::string ToNativePathBytes(const char16_t* path);
#endif

// The size of a regular file; false when it is missing or not a regular file. (Defined apart
// from the paths above, so that what needs only this does not take in the C++ library's file
// system and locale code: small programs stay small.)
bool GetFileSize(const char16_t* path, uint64_t* size);
