#pragma once

#include <cstdint>
#include <string>

#include "support/md5.h"

// The MD5 of bytes as the lists carry it: 32 upper-case hexadecimal digits.
inline std::u16string Md5Hex(const std::string& bytes) {
  char16_t digest[33] = {};
  Md5HexOfMemory(digest, bytes.data(), static_cast<uint32_t>(bytes.size()));
  return digest;
}
