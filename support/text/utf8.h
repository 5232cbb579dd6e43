#pragma once

#include <string>

// Conversions between UTF-8 and UTF-16 for the edges that speak UTF-8: console output, command
// lines outside Windows, file names handed to the C library outside Windows. Malformed input
// becomes U+FFFD rather than being dropped, so a bad byte never merges two names into one.
std::u16string Utf8ToUtf16(const std::string& text);
std::string Utf16ToUtf8(const char16_t* text);
std::string Utf16ToUtf8(const char16_t* text, size_t n);
// True when the bytes are well-formed UTF-8 (no overlongs, no surrogates, nothing past U+10FFFF).
bool IsValidUtf8(const char* bytes, size_t n);
// Strict form for fixed buffers: writes the UTF-16 text of n well-formed UTF-8 bytes into out,
// zero-terminated. False, with out empty, for malformed bytes or a text that does not fit
// capacity units with its terminator.
bool Utf8ToUtf16(const char* bytes, size_t n, char16_t* out, int capacity);
