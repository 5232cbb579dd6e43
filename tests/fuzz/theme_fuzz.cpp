// "theme.txt", the skin's colours, in both its forms: the input as UTF-16LE units (as the install
// window reads it from the payload) and as one unit per byte. Neither text is terminated, so
// nothing may be read past its end.
#include <cstdint>
#include <memory>
#include <vector>

#include "draw/theme.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

// Colours no input leaves by accident: a text that does not parse must keep them.
constexpr uint32_t kFore = 0x12345678;
constexpr uint32_t kBack = 0x9ABCDEF0;
constexpr uint32_t kText = 0x0F1E2D3C;

void SetKnownColors(CTheme& theme) {
  theme.SetForeColor(kFore);
  theme.SetBackColor(kBack);
  theme.SetTextColor(kText);
}

bool SameColors(CTheme& a, CTheme& b) {
  return a.GetForeColor() == b.GetForeColor() && a.GetBackColor() == b.GetBackColor() &&
         a.GetTextColor() == b.GetTextColor();
}

// Whatever colours were read are written as a text that reads back as the same colours.
void CheckWrittenTextReadsBack(CTheme& theme) {
  char16_t written[ITheme::kFormatCapacity];
  FuzzCheck(theme.FormatText(written, ITheme::kFormatCapacity) == ITheme::kFormatLength,
            "a theme is written in its fixed length");
  CTheme back;
  FuzzCheck(back.ParseText(written, ITheme::kFormatLength), "a written theme parses");
  FuzzCheck(SameColors(theme, back), "a written theme reads back the same");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > INT32_MAX) return 0;
  // Blocks of the text's own size, so a read past the end shows under AddressSanitizer.
  const size_t wideLength = size / 2;
  auto wide = std::make_unique<char16_t[]>(wideLength);
  for (size_t i = 0; i < wideLength; ++i) {
    wide[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
  }
  CTheme fromWide;
  SetKnownColors(fromWide);
  if (fromWide.ParseText(wide.get(), static_cast<int>(wideLength))) {
    CheckWrittenTextReadsBack(fromWide);
  } else {
    CTheme untouched;
    SetKnownColors(untouched);
    FuzzCheck(SameColors(fromWide, untouched), "a text that does not parse changes no colour");
  }

  auto narrow = std::make_unique<char[]>(size);
  auto widened = std::make_unique<char16_t[]>(size);
  for (size_t i = 0; i < size; ++i) {
    narrow[i] = static_cast<char>(data[i]);
    widened[i] = data[i];
  }
  CTheme fromNarrow;
  CTheme fromWidened;
  SetKnownColors(fromNarrow);
  SetKnownColors(fromWidened);
  const bool narrowParsed = fromNarrow.ParseTextA(narrow.get(), static_cast<int>(size));
  FuzzCheck(narrowParsed == fromWidened.ParseText(widened.get(), static_cast<int>(size)),
            "both forms parse the same text alike");
  FuzzCheck(SameColors(fromNarrow, fromWidened), "both forms read the same colours");
  if (narrowParsed) CheckWrittenTextReadsBack(fromNarrow);
  return 0;
}
