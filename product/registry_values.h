#pragma once

#include <cstdint>
#include <string>

#include "support/journal/journal_entry.h"

// Registry values as the product writes them: UTF-16 text with its terminating zero (REG_SZ),
// and a 32-bit number (REG_DWORD).
RegistryValue TextValue(const std::u16string& text);
RegistryValue NumberValue(uint32_t number);
