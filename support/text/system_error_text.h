#pragma once

#include <cstdint>
#include <string>

// The system's own words for an error code (GetLastError on Windows, WinINet's codes among them,
// errno elsewhere), without the line break it ends with; "error N" when the system has none.
std::u16string SystemErrorText(uint32_t code);

// The programs that hold the file at path open, as "name (process N)" joined by ", ", as far as
// the system can tell (Restart Manager); empty when it cannot or none does, and always elsewhere
// than on Windows.
std::u16string FileHolderText(const char16_t* path);
