#include "support/text/oem_text.h"

#include "support/text/utf8.h"

bool OemToUtf16(const char* bytes, int n, char16_t* out, int capacity) {
  if (n < 0) return false;
  return Utf8ToUtf16(bytes, static_cast<size_t>(n), out, capacity);
}
