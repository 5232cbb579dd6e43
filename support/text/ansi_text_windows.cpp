#include "support/text/ansi_text.h"

#include <windows.h>

#include "support/core/wide_text.h"

int WideToAnsi(const char16_t* text, int n, char* out, int outCapacity) {
  if (text == nullptr || n == 0) return 0;
  UINT codePage = AreFileApisANSI() ? CP_ACP : CP_OEMCP;
  return WideCharToMultiByte(codePage, 0, AsWide(text), n, out, out == nullptr ? 0 : outCapacity,
                             nullptr, nullptr);
}
