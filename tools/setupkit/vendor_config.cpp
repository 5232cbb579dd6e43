#include "tools/setupkit/vendor_config.h"

#include <string_view>

#include "support/text/byte_order_mark.h"
#include "support/text/utf8.h"

namespace {

bool IsWhiteSpace(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\v' || c == u'\f';
}

std::u16string_view Trimmed(std::u16string_view text) {
  while (!text.empty() && IsWhiteSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsWhiteSpace(text.back())) text.remove_suffix(1);
  return text;
}

std::u16string DecodeUtf16(const uint8_t* bytes, uint32_t n, bool bigEndian) {
  std::u16string text;
  text.reserve(n / 2);
  for (uint32_t i = 0; i + 1 < n; i += 2) {
    uint8_t first = bytes[i];
    uint8_t second = bytes[i + 1];
    text += static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first);
  }
  return text;
}

}  // namespace

bool DecodeVendorText(const uint8_t* bytes, uint32_t n, std::u16string& text,
                      std::string& problem) {
  int bom = DetectBom(bytes, n);
  uint32_t skip = static_cast<uint32_t>(BomLength(bom));
  switch (bom) {
    case kBomUtf16Le:
    case kBomUtf16Be:
      if ((n - skip) % 2 != 0) {
        problem = "its UTF-16 text ends in half a character";
        return false;
      }
      text = DecodeUtf16(bytes + skip, n - skip, bom == kBomUtf16Be);
      return true;
    case kBomUtf32Le:
    case kBomUtf32Be:
      problem = "it is UTF-32; write it as UTF-8 or UTF-16";
      return false;
    default: {
      const char* utf8 = reinterpret_cast<const char*>(bytes + skip);
      if (!IsValidUtf8(utf8, n - skip)) {
        problem = "it is neither UTF-8 nor UTF-16 with a byte-order mark";
        return false;
      }
      text = Utf8ToUtf16(std::string(utf8, n - skip));
      // Zero characters mean UTF-16 without its mark, read as UTF-8.
      if (text.find(u'\0') != std::u16string::npos) {
        problem = "it holds zero characters: UTF-16 needs its byte-order mark";
        return false;
      }
      return true;
    }
  }
}

bool SplitVendorEntries(const std::u16string& text, std::vector<VendorEntry>& entries,
                        std::string& problem) {
  std::u16string_view rest(text);
  for (int line = 1; !rest.empty(); ++line) {
    size_t end = rest.find(u'\n');
    std::u16string_view content = Trimmed(rest.substr(0, end));
    rest = end == std::u16string_view::npos ? std::u16string_view() : rest.substr(end + 1);
    if (content.empty()) continue;
    size_t separator = content.find(u'=');
    std::u16string_view key =
        separator == std::u16string_view::npos ? content : Trimmed(content.substr(0, separator));
    if (separator == std::u16string_view::npos || key.empty() || content.back() != u';') {
      problem = "line " + std::to_string(line) + " is not an entry of the form key=value;";
      return false;
    }
    std::u16string_view value = content.substr(separator + 1, content.size() - separator - 2);
    entries.push_back({line, std::u16string(key), std::u16string(value)});
  }
  return true;
}
