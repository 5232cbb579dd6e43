#include "support/crypto/md5.h"

#include <cstring>

#include "support/files/file_pieces.h"

namespace {

constexpr int kDigestBytes = 16;
constexpr int kHexDigits = 32;

// Per-step shift amounts of each round, and the constants floor(abs(sin(i + 1)) * 2^32).
constexpr int kShifts[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};
constexpr uint32_t kSines[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391,
};

uint32_t RotateLeft(uint32_t value, int bits) { return (value << bits) | (value >> (32 - bits)); }

// One step: a takes the mixed value of the other three, the message word and the constant,
// rotated, plus b; then the four rotate their roles.
inline void Step(uint32_t& a, uint32_t& b, uint32_t& c, uint32_t& d, uint32_t mixed, int step,
                 uint32_t word, int shift) {
  uint32_t rotated = RotateLeft(a + mixed + kSines[step] + word, shift);
  a = d;
  d = c;
  c = b;
  b += rotated;
}

// The four rounds of sixteen steps over one 64-byte block. Each round is its own loop, so the
// compiler unrolls it with the mixing function and word order fixed.
void Transform(XMD5* context, const uint8_t* block) {
  uint32_t words[16];
  for (int i = 0; i < 16; ++i) {
    words[i] = uint32_t{block[i * 4]} | uint32_t{block[i * 4 + 1]} << 8 |
               uint32_t{block[i * 4 + 2]} << 16 | uint32_t{block[i * 4 + 3]} << 24;
  }
  uint32_t a = context->a, b = context->b, c = context->c, d = context->d;
#pragma GCC unroll 16
  for (int i = 0; i < 16; ++i) {
    Step(a, b, c, d, (b & c) | (~b & d), i, words[i], kShifts[0][i % 4]);
  }
#pragma GCC unroll 16
  for (int i = 16; i < 32; ++i) {
    Step(a, b, c, d, (d & b) | (~d & c), i, words[(5 * i + 1) % 16], kShifts[1][i % 4]);
  }
#pragma GCC unroll 16
  for (int i = 32; i < 48; ++i) {
    Step(a, b, c, d, b ^ c ^ d, i, words[(3 * i + 5) % 16], kShifts[2][i % 4]);
  }
#pragma GCC unroll 16
  for (int i = 48; i < 64; ++i) {
    Step(a, b, c, d, c ^ (b | ~d), i, words[(7 * i) % 16], kShifts[3][i % 4]);
  }
  context->a += a;
  context->b += b;
  context->c += c;
  context->d += d;
}

}  // namespace

void Md5Init(XMD5* context) {
  std::memset(context->block, 0, sizeof context->block);
  context->buffered = 0;
  context->length = 0;
  context->a = 0x67452301;
  context->b = 0xEFCDAB89;
  context->c = 0x98BADCFE;
  context->d = 0x10325476;
}

void Md5Update(XMD5* context, const void* bytes, uint32_t n) {
  const auto* input = static_cast<const uint8_t*>(bytes);
  context->length += n;
  if (context->buffered != 0) {
    uint32_t taken = 64 - context->buffered;
    if (taken > n) taken = n;
    std::memcpy(context->block + context->buffered, input, taken);
    context->buffered += taken;
    input += taken;
    n -= taken;
    if (context->buffered < 64) return;
    Transform(context, context->block);
    context->buffered = 0;
  }
  for (; n >= 64; input += 64, n -= 64) Transform(context, input);
  std::memcpy(context->block, input, n);
  context->buffered = n;
}

void Md5Final(XMD5* context) {
  uint64_t bits = context->length * 8;
  context->block[context->buffered++] = 0x80;
  if (context->buffered > 56) {
    std::memset(context->block + context->buffered, 0, 64 - context->buffered);
    Transform(context, context->block);
    context->buffered = 0;
  }
  std::memset(context->block + context->buffered, 0, 56 - context->buffered);
  for (int i = 0; i < 8; ++i) context->block[56 + i] = static_cast<uint8_t>(bits >> (8 * i));
  Transform(context, context->block);
  context->buffered = 0;
  const uint32_t state[4] = {context->a, context->b, context->c, context->d};
  for (int i = 0; i < kDigestBytes; ++i) {
    context->digest[i] = static_cast<uint8_t>(state[i / 4] >> (8 * (i % 4)));
  }
  context->digest[kDigestBytes] = 0;
}

int HexEncode(char16_t* out, int capacity, const uint8_t* bytes, int n, bool upperCase) {
  if (out == nullptr || bytes == nullptr || n <= 0 || capacity <= 0) return 0;
  const char* digits = upperCase ? "0123456789ABCDEF" : "0123456789abcdef";
  if (capacity < 2 * n) n = capacity / 2;
  for (int i = 0; i < n; ++i) {
    out[2 * i] = static_cast<char16_t>(digits[bytes[i] >> 4]);
    out[2 * i + 1] = static_cast<char16_t>(digits[bytes[i] & 0x0F]);
  }
  return 2 * n;
}

bool Md5HexOfMemory(char16_t* out, const void* bytes, uint32_t n) {
  if (out == nullptr || bytes == nullptr || n == 0) return false;
  XMD5 context;
  Md5Init(&context);
  Md5Update(&context, bytes, n);
  Md5Final(&context);
  out[kHexDigits] = 0;
  return HexEncode(out, kHexDigits, context.digest, kDigestBytes, true) == kHexDigits;
}

bool Md5OfFile(uint8_t* out, const char16_t* path) {
  if (out == nullptr) return false;
  XMD5 context;
  Md5Init(&context);
  if (!ReadFileInPieces(path, [&context](const uint8_t* bytes, size_t n) {
        Md5Update(&context, bytes, static_cast<uint32_t>(n));
      })) {
    return false;
  }
  Md5Final(&context);
  std::memcpy(out, context.digest, kDigestBytes);
  return true;
}

bool Md5HexOfFile(char16_t* out, const char16_t* path, bool upperCase) {
  uint8_t digest[kDigestBytes];
  if (out == nullptr || !Md5OfFile(digest, path)) return false;
  out[kHexDigits] = 0;
  return HexEncode(out, kHexDigits, digest, kDigestBytes, upperCase) == kHexDigits;
}
