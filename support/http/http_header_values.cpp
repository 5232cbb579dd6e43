#include "support/http/http_header_values.h"

#include <cctype>

namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads the digits at text[*at] on into *value; false when there are none or they overflow.
bool ReadNumber(const std::string& text, size_t* at, uint64_t* value) {
  size_t start = *at;
  *value = 0;
  for (; *at < text.size() && IsDigit(text[*at]); ++*at) {
    uint64_t digit = static_cast<uint64_t>(text[*at] - '0');
    if (*value > (UINT64_MAX - digit) / 10) return false;
    *value = *value * 10 + digit;
  }
  return *at > start;
}

void SkipSpaces(const std::string& text, size_t* at) {
  while (*at < text.size() && IsSpace(text[*at])) ++*at;
}

bool Expect(const std::string& text, size_t* at, char c) {
  if (*at >= text.size() || text[*at] != c) return false;
  ++*at;
  return true;
}

}  // namespace

bool ParseContentLength(const std::string& text, uint64_t* length) {
  size_t at = 0;
  SkipSpaces(text, &at);
  if (!ReadNumber(text, &at, length)) return false;
  SkipSpaces(text, &at);
  return at == text.size();
}

bool ParseContentRange(const std::string& text, ContentRange* range) {
  static const char kUnit[] = "bytes";
  size_t at = 0;
  SkipSpaces(text, &at);
  for (const char* unit = kUnit; *unit != 0; ++unit, ++at) {
    if (at >= text.size() || std::tolower(static_cast<unsigned char>(text[at])) != *unit) {
      return false;
    }
  }
  size_t unitEnd = at;
  SkipSpaces(text, &at);
  ContentRange read;
  if (at == unitEnd || !ReadNumber(text, &at, &read.first) || !Expect(text, &at, '-') ||
      !ReadNumber(text, &at, &read.last) || !Expect(text, &at, '/') ||
      !ReadNumber(text, &at, &read.total)) {
    return false;
  }
  SkipSpaces(text, &at);
  if (at != text.size() || read.first > read.last || read.last >= read.total) return false;
  *range = read;
  return true;
}
