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
