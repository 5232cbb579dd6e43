#pragma once

#include <cstddef>
#include <string>

// Test bytes that show where each byte came from: byte i is i % 251, a period that no buffer or
// chunk size divides. The test HTTP server sends the same bytes for /body/N.
inline std::string BytePattern(size_t n) {
  std::string bytes(n, '\0');
  for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<char>(i % 251);
  return bytes;
}
