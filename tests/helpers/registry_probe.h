#pragma once

#include <windows.h>

#include <string>

// Registry checks of the Windows tests, below HKEY_LOCAL_MACHINE.

// The raw value as the registry holds it: its type (REG_NONE when absent) and its data as
// units.
struct StoredValue {
  DWORD type = REG_NONE;
  std::u16string units;
};
StoredValue ReadStored(const std::u16string& subKey, const char16_t* name);

// True when the key can be opened for reading.
bool KeyExists(const std::u16string& subKey);

// stem followed by this process's id and the tick count: a key or product name no other test run
// uses.
std::u16string UniqueName(const char16_t* stem);
