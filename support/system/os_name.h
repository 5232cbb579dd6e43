#pragma once

#include <cstdint>

// Windows versions by name. A packed version code holds four byte fields, most significant
// first: platform id, product type (1 = workstation), major and minor version; 0 = unknown.
uint32_t PackOsVersion(uint32_t platformId, uint32_t productType, uint32_t major, uint32_t minor);

// The name of a packed code: null for a 5.x, 6.x or 10.x minor version the table lacks (and for
// code 0), "unknown" for any other major version.
const char16_t* GetOsName(uint32_t code);
