#pragma once

#include <functional>

// A check of a finished download's whole content, run over the file before it is put in place:
// true when the file at the path is the one expected. The download does not know the digest;
// MD5 serves now, and a stronger one plugs in the same way.
using FileVerifier = std::function<bool(const char16_t* path)>;

// Checks that the file's MD5 is the 32 hexadecimal digits given (in either letter case). Digits
// that are not 32 hexadecimal ones match no file.
FileVerifier Md5FileVerifier(const char16_t* expectedHex);
