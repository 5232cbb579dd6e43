#include "support/text/utf8.h"

#include <cstdint>

#include "support/core/text_length.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one code point at text[pos]; returns how many bytes it took (0 when malformed).
size_t DecodeUtf8(const unsigned char* text, size_t n, size_t pos, char32_t* out) {
  unsigned char lead = text[pos];
  if (lead < 0x80) {
    *out = lead;
    return 1;
  }
  size_t length;
  char32_t value;
  char32_t minimum;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, value = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, value = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, value = lead & 0x07, minimum = 0x10000;
  } else {
    return 0;
  }
  if (pos + length > n) return 0;
  for (size_t i = 1; i < length; ++i) {
    unsigned char next = text[pos + i];
    if ((next & 0xC0) != 0x80) return 0;
    value = (value << 6) | (next & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return 0;
  *out = value;
  return length;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::u16string Utf8ToUtf16(const std::string& text) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  std::u16string out;
  out.reserve(text.size());
  for (size_t pos = 0; pos < text.size();) {
    char32_t c;
    size_t used = DecodeUtf8(bytes, text.size(), pos, &c);
    if (used == 0) {
      c = kReplacement;
      used = 1;
    }
    pos += used;
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (c >> 10));
      out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

std::string Utf16ToUtf8(const char16_t* text, size_t n) {
  std::string out;
  if (text == nullptr) return out;
  out.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    char32_t c = text[i];
    bool high = c >= 0xD800 && c <= 0xDBFF;
    bool low = c >= 0xDC00 && c <= 0xDFFF;
    if (high && i + 1 < n && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (high || low) {
      c = kReplacement;
    }
    AppendUtf8(out, c);
  }
  return out;
}

std::string Utf16ToUtf8(const char16_t* text) {
  return Utf16ToUtf8(text, static_cast<size_t>(TextLength(text)));
}

bool IsValidUtf8(const char* bytes, size_t n) {
  const auto* text = reinterpret_cast<const unsigned char*>(bytes);
  for (size_t pos = 0; pos < n;) {
    char32_t c;
    size_t used = DecodeUtf8(text, n, pos, &c);
    if (used == 0) return false;
    pos += used;
  }
  return true;
}

bool Utf8ToUtf16(const char* bytes, size_t n, char16_t* out, int capacity) {
  if (out == nullptr || capacity <= 0) return false;
  out[0] = 0;
  if (bytes == nullptr || !IsValidUtf8(bytes, n)) return false;
  std::u16string text = Utf8ToUtf16(std::string(bytes, n));
  if (text.size() >= static_cast<size_t>(capacity)) return false;
  text.copy(out, text.size());
  out[text.size()] = 0;
  return true;
}
