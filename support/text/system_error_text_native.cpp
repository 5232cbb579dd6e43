#include "support/text/system_error_text.h"

#include <cstring>

#include "support/text/utf8.h"

// Elsewhere than on Windows the codes are errno values, and the C library has their words.
std::u16string SystemErrorText(uint32_t code) {
  const char* text = std::strerror(static_cast<int>(code));
  if (text == nullptr || text[0] == 0) return Utf8ToUtf16("error " + std::to_string(code));
  return Utf8ToUtf16(text);
}

// No system here tells who holds a file.
std::u16string FileHolderText(const char16_t*) { return {}; }
