#pragma once

#include <cstdint>

// The container's own CRC-16: a right-shifting table over the unreflected constant 0x8005, so it
// matches none of the common published variants. The table is built once, on first use, and is
// safe to request from several threads at once.
const uint16_t* Crc16Table();

// Continues a CRC over n bytes; with null bytes or n = 0 the initial value comes back unchanged.
// A null table means the built-in one.
uint16_t Crc16Update(uint16_t initial, const uint8_t* bytes, uint32_t n, const uint16_t* table);
