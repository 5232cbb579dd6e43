#include "support/text/oem_text.h"

#include <windows.h>

#include "support/core/wide_text.h"

bool OemToUtf16(const char* bytes, int n, char16_t* out, int capacity) {
  if (out == nullptr || capacity <= 0) return false;
  out[0] = 0;
  if (bytes == nullptr || n < 0) return false;
  if (n == 0) return true;
  int units =
      MultiByteToWideChar(CP_OEMCP, MB_ERR_INVALID_CHARS, bytes, n, AsWide(out), capacity - 1);
  if (units <= 0) {
    out[0] = 0;
    return false;
  }
  out[units] = 0;
  return true;
}
