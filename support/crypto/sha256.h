#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// SHA-256 digests (FIPS 180-4, computed by libsodium). Like MD5 digests they travel as
// hexadecimal UTF-16 digits, upper case: 64 of them.
constexpr int kSha256Bytes = 32;
constexpr int kSha256HexDigits = 64;

// out receives 64 upper-case digits and a terminator (65 units). Empty input has a digest too.
// False for a null out, or null bytes with n above 0.
bool Sha256HexOfMemory(char16_t* out, const void* bytes, size_t n);
// The digest of a file, read in 65,536-byte pieces. False when the file cannot be opened or read.
bool Sha256OfFile(uint8_t* out, const char16_t* path);
// out receives 64 upper-case digits and a terminator (65 units).
bool Sha256HexOfFile(char16_t* out, const char16_t* path);

// The digest of bytes handed over in pieces, for data read or written for another purpose too.
class Sha256Stream {
 public:
  Sha256Stream();
  ~Sha256Stream();
  Sha256Stream(const Sha256Stream&) = delete;
  Sha256Stream& operator=(const Sha256Stream&) = delete;

  void Add(const void* bytes, size_t n);
  // out receives the digest of everything added as 64 upper-case digits and a terminator (65
  // units). False when the digest cannot be computed; the stream is spent either way.
  bool FinishHex(char16_t* out);

 private:
  struct State;
  std::unique_ptr<State> state_;
};
