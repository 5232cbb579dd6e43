#pragma once

#include <cstdint>

// The size of a regular file; false when it is missing or not a regular file. (Apart from
// filesystem_path.h, so that what needs only this does not take in the C++ library's file system
// and locale code: small programs stay small.)
bool GetFileSize(const char16_t* path, uint64_t* size);
