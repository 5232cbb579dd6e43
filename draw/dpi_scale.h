#pragma once

#include <cstdint>
#include <string>

// Sizes at a monitor's DPI. Every size the skin and the layout rules give is in units of the
// standard 96 DPI (100 %); at another DPI it takes that many more or fewer pixels.

constexpr int kDefaultDpi = 96;
// From 175 % on a skin's larger images (name@2x.png, twice the size of name.png) are shown
// instead of the standard ones scaled up.
constexpr int kDoubleSizeMinimumDpi = 168;

// value (in 96-DPI units) at dpi, rounded to the nearest pixel, halves away from zero; a dpi
// that is not positive counts as 96.
int32_t ScaleToDpi(int32_t value, int dpi);

// Whether images of twice the size are the better source at dpi.
inline bool WantsDoubleSizeImages(int dpi) { return dpi >= kDoubleSizeMinimumDpi; }

// The marker a larger image carries at the end of its name, before the extension.
constexpr char kDoubleSizeMarker[] = "@2x";

// Where the last path part of name starts, and where its extension does (the end of name when
// it has none).
template <typename Char>
void NameParts(const std::basic_string<Char>& name, size_t* start, size_t* dot) {
  const size_t part = name.find_last_of(std::basic_string<Char>{Char('/'), Char('\\')});
  *start = part == std::basic_string<Char>::npos ? 0 : part + 1;
  *dot = name.rfind(Char('.'));
  if (*dot == std::basic_string<Char>::npos || *dot < *start) *dot = name.size();
}

// The name of the larger twin of the image called name: "@2x" before the extension of the
// last path part ("skin/logo.png" gives "skin/logo@2x.png"), or at the end when there is none.
template <typename Char>
std::basic_string<Char> DoubleSizeName(const std::basic_string<Char>& name) {
  size_t start = 0;
  size_t dot = 0;
  NameParts(name, &start, &dot);
  std::basic_string<Char> twin = name.substr(0, dot);
  for (const char* marker = kDoubleSizeMarker; *marker != 0; ++marker) twin += Char(*marker);
  return twin + name.substr(dot);
}

// The name of the standard image whose larger twin is called name, when name is one (the
// marker in any case, as the installer finds payload names in any case); empty otherwise.
template <typename Char>
std::basic_string<Char> SingleSizeName(const std::basic_string<Char>& name) {
  size_t start = 0;
  size_t dot = 0;
  NameParts(name, &start, &dot);
  const size_t markerLength = sizeof kDoubleSizeMarker - 1;
  if (dot < start + markerLength + 1) return {};
  const size_t marker = dot - markerLength;
  for (size_t i = 0; i < markerLength; ++i) {
    Char c = name[marker + i];
    if (c >= Char('A') && c <= Char('Z')) c = Char(c - Char('A') + Char('a'));
    if (c != Char(kDoubleSizeMarker[i])) return {};
  }
  return name.substr(0, marker) + name.substr(dot);
}
