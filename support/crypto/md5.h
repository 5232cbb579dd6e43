#pragma once

#include <cstdint>

// MD5 digests (RFC 1321). Digests travel as 32 hexadecimal UTF-16 digits, upper case.
class XMD5 {
 public:
  virtual ~XMD5() = default;

  uint8_t digest[17] = {};  // after Md5Final: the 16 digest bytes and a zero byte
  uint8_t block[64] = {};   // bytes waiting for a whole block
  uint32_t buffered = 0;    // how many of them (0..63 between calls)
  uint64_t length = 0;      // bytes fed so far
  uint32_t a = 0, b = 0, c = 0, d = 0;
};

void Md5Init(XMD5* context);
void Md5Update(XMD5* context, const void* bytes, uint32_t n);
void Md5Final(XMD5* context);

// Writes two digits per byte, high nibble first, without a terminator. When capacity (in units)
// is below 2 * n, only capacity / 2 bytes are encoded. Returns the units written.
int HexEncode(char16_t* out, int capacity, const uint8_t* bytes, int n, bool upperCase);

// out receives 32 upper-case digits and a terminator (33 units). False for null arguments or
// n = 0.
bool Md5HexOfMemory(char16_t* out, const void* bytes, uint32_t n);
// The digest of a file, read in 65,536-byte pieces. False when the file cannot be opened or read.
bool Md5OfFile(uint8_t* out, const char16_t* path);
// out receives 32 digits and a terminator (33 units).
bool Md5HexOfFile(char16_t* out, const char16_t* path, bool upperCase);
