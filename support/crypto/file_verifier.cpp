#include "support/crypto/file_verifier.h"

#include <string>

#include "support/crypto/md5.h"

namespace {

constexpr int kHexDigits = 32;

char16_t UpperHexDigit(char16_t unit) {
  return unit >= u'a' && unit <= u'f' ? static_cast<char16_t>(unit - u'a' + u'A') : unit;
}

bool IsUpperHexDigit(char16_t unit) {
  return (unit >= u'0' && unit <= u'9') || (unit >= u'A' && unit <= u'F');
}

}  // namespace

FileVerifier Md5FileVerifier(const char16_t* expectedHex) {
  std::u16string expected;
  for (int i = 0; expectedHex != nullptr && expectedHex[i] != 0 && i <= kHexDigits; ++i) {
    expected += UpperHexDigit(expectedHex[i]);
  }
  bool wellFormed = expected.size() == kHexDigits;
  for (char16_t unit : expected) wellFormed = wellFormed && IsUpperHexDigit(unit);
  return [expected, wellFormed](const char16_t* path) {
    char16_t digest[kHexDigits + 1];
    return wellFormed && Md5HexOfFile(digest, path, true) && expected == digest;
  };
}
