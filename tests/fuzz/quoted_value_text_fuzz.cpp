// The quoted-name scanner of the theme file, in both its forms. The input is a name, a line feed
// and the text, one unit per byte; the text is not terminated, so nothing may be read past its
// end.
#include <memory>
#include <string>

#include "support/text/quoted_value_text.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  size_t at = 0;
  while (at < size && data[at] != '\n') ++at;
  if (at == size) return 0;
  std::string name(reinterpret_cast<const char*>(data), at);
  std::u16string wideName(data, data + at);
  size_t n = size - at - 1;
  // Blocks of the text's own size, so a read past the end shows under AddressSanitizer.
  auto narrow = std::make_unique<char[]>(n);
  auto wide = std::make_unique<char16_t[]>(n);
  for (size_t i = 0; i < n; ++i) {
    narrow[i] = static_cast<char>(data[at + 1 + i]);
    wide[i] = data[at + 1 + i];
  }
  int narrowLength = -1;
  int wideLength = -1;
  const char* found = FindQuotedValue(&narrowLength, name.c_str(), narrow.get(), narrow.get() + n);
  const char16_t* wideFound =
      FindQuotedValue(&wideLength, wideName.c_str(), wide.get(), wide.get() + n);
  FuzzCheck((found == nullptr) == (wideFound == nullptr), "both forms find the same entry");
  if (found != nullptr) {
    FuzzCheck(found - narrow.get() == wideFound - wide.get() && narrowLength == wideLength,
              "both forms find the same value");
    FuzzCheck(narrowLength >= 0 && found + narrowLength <= narrow.get() + n,
              "a value lies inside the text");
  }
  char value[64];
  char16_t wideValue[64];
  int copied = GetQuotedValue(value, 64, name.c_str(), narrow.get(), narrow.get() + n);
  FuzzCheck(copied == GetQuotedValue(wideValue, 64, wideName.c_str(), wide.get(), wide.get() + n),
            "both forms copy the same value");
  FuzzCheck(copied >= 0 && copied <= 64, "a copy stays inside its destination");
  return 0;
}
