#pragma once

// The one crossing between the system's UTF-16 text and the Windows API's wchar_t, which on
// Windows has the same width and encoding.
static_assert(sizeof(wchar_t) == sizeof(char16_t), "wchar_t must be UTF-16 at the API boundary");

inline const wchar_t* AsWide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }
inline wchar_t* AsWide(char16_t* text) { return reinterpret_cast<wchar_t*>(text); }
inline const char16_t* AsUtf16(const wchar_t* text) {
  return reinterpret_cast<const char16_t*>(text);
}
inline char16_t* AsUtf16(wchar_t* text) { return reinterpret_cast<char16_t*>(text); }
