#include "draw/theme.h"

#include <cstdio>

#include "support/files/file_stream.h"
#include "support/files/xdata.h"
#include "support/text/quoted_value_text.h"

namespace {

// The keys in the order they are written.
constexpr const char* kKeys[] = {"forecolor", "backcolor", "textcolor"};
constexpr int kKeyCount = 3;
// A value longer than this is read only up to it.
constexpr int kValueLimit = 63;

template <typename Unit>
struct ThemeKey {
  explicit ThemeKey(const char* ascii) {
    int i = 0;
    for (; ascii[i] != 0; ++i) units[i] = static_cast<Unit>(ascii[i]);
    units[i] = 0;
  }
  Unit units[16];
};

int HexDigit(char16_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// An optional "#", then hexadecimal digits up to the first other character. Like the C library's
// conversion, a number past 32 bits gives the largest value.
template <typename Unit>
uint32_t ReadColor(const Unit* value, int length) {
  if (length > kValueLimit) length = kValueLimit;
  int at = 0;
  if (at < length && value[at] == '#') ++at;
  uint64_t color = 0;
  for (; at < length; ++at) {
    int digit = HexDigit(static_cast<char16_t>(value[at]));
    if (digit < 0) break;
    color = color * 16 + digit;
    if (color > UINT32_MAX) return UINT32_MAX;
  }
  return static_cast<uint32_t>(color);
}

template <typename Unit>
bool ParseColors(const Unit* text, int length, uint32_t* const colors[kKeyCount]) {
  if (text == nullptr || length <= 0) return false;
  const Unit* end = text + length;
  const Unit* brace = text;
  while (brace < end && *brace != '{') ++brace;
  if (brace == end) return false;
  for (int k = 0; k < kKeyCount; ++k) {
    ThemeKey<Unit> key(kKeys[k]);
    int valueLength = 0;
    const Unit* value = FindQuotedValue(&valueLength, key.units, brace + 1, end);
    if (value != nullptr) *colors[k] = ReadColor(value, valueLength);
  }
  return true;
}

// "#%08X".
template <typename Unit>
void PutColor(Unit* out, uint32_t color) {
  static const char kDigits[] = "0123456789ABCDEF";
  out[0] = '#';
  for (int i = 0; i < 8; ++i) out[1 + i] = kDigits[(color >> (28 - 4 * i)) & 0xF];
}

template <typename Unit>
int FormatColors(Unit* buffer, int capacity, const uint32_t colors[kKeyCount]) {
  if (buffer == nullptr || capacity <= 0) return 0;
  if (capacity < ITheme::kFormatCapacity) {
    buffer[0] = 0;
    return 0;
  }
  int at = 0;
  buffer[at++] = '{';
  for (int k = 0; k < kKeyCount; ++k) {
    if (k > 0) buffer[at++] = ',';
    Unit value[9];
    PutColor(value, colors[k]);
    ThemeKey<Unit> key(kKeys[k]);
    at += PutQuotedValue(buffer + at, capacity - at, key.units, value, 9);
  }
  buffer[at++] = '}';
  buffer[at] = 0;
  return at;
}

}  // namespace

bool CTheme::ParseText(const char16_t* text, int length) {
  uint32_t* const colors[] = {&foreColor_, &backColor_, &textColor_};
  return ParseColors(text, length, colors);
}

bool CTheme::ParseTextA(const char* text, int length) {
  uint32_t* const colors[] = {&foreColor_, &backColor_, &textColor_};
  return ParseColors(text, length, colors);
}

int CTheme::FormatText(char16_t* buffer, int capacity) {
  const uint32_t colors[] = {foreColor_, backColor_, textColor_};
  return FormatColors(buffer, capacity, colors);
}

int CTheme::FormatTextA(char* buffer, int capacity) {
  const uint32_t colors[] = {foreColor_, backColor_, textColor_};
  return FormatColors(buffer, capacity, colors);
}

template <typename Path>
bool CTheme::Load(const Path* path) {
  XData bytes;
  if (path == nullptr || !bytes.ReadFile(path, 0)) return false;
  return ParseText(reinterpret_cast<const char16_t*>(bytes.Data()),
                   static_cast<int>(bytes.Length() / 2));
}

template <typename Path>
uint32_t CTheme::Save(const Path* path) {
  if (path == nullptr) return 0;
  char16_t text[kFormatCapacity];
  size_t length = static_cast<size_t>(FormatText(text, kFormatCapacity));
  FileStream file = OpenFileStream(path, "wb");
  if (!file || std::fwrite(text, sizeof(char16_t), length, file.get()) != length) return 0;
  if (std::fclose(file.release()) != 0) return 0;
  return static_cast<uint32_t>(length * sizeof(char16_t));
}

bool CTheme::LoadFile(const char16_t* path) { return Load(path); }
bool CTheme::LoadFileA(const char* path) { return Load(path); }
uint32_t CTheme::SaveFile(const char16_t* path) { return Save(path); }
uint32_t CTheme::SaveFileA(const char* path) { return Save(path); }
