#pragma once

#include <cstdint>
#include <string>

#include "support/crypto/md5.h"

// The MD5 of bytes as the lists carry it: 32 upper-case hexadecimal digits, also for no bytes
// at all (which Md5HexOfMemory refuses).
inline std::u16string Md5Hex(const std::string& bytes) {
  if (bytes.empty()) return u"D41D8CD98F00B204E9800998ECF8427E";
  char16_t digest[33] = {};
  Md5HexOfMemory(digest, bytes.data(), static_cast<uint32_t>(bytes.size()));
  return digest;
}
