#pragma once

#include <cstdint>

struct _OSVERSIONINFOEXW;

// The running Windows version as the kernel reports it (compatibility shims do not lie here).
bool GetOsVersion(_OSVERSIONINFOEXW* info);
// The packed version code (see os_name.h), 0 when the version cannot be read.
uint32_t GetOsVersionCode();
// The running version's name, null when it has none.
const char16_t* GetSystemName();
