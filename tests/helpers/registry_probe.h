#pragma once

#include <string>

// Registry checks of the Windows tests, below HKEY_LOCAL_MACHINE.

// True when the key can be opened for reading.
bool KeyExists(const std::u16string& subKey);

// stem followed by this process's id and the tick count: a key or product name no other test run
// uses.
std::u16string UniqueName(const char16_t* stem);
