#pragma once

#include <cstdint>

// Little-endian integers in byte buffers, as file formats store them. The caller makes sure the
// bytes are there.

inline uint16_t ReadLe16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | at[1] << 8); }

inline uint32_t ReadLe32(const uint8_t* at) {
  return at[0] | at[1] << 8 | at[2] << 16 | static_cast<uint32_t>(at[3]) << 24;
}

inline void WriteLe16(uint8_t* at, uint16_t value) {
  at[0] = static_cast<uint8_t>(value);
  at[1] = static_cast<uint8_t>(value >> 8);
}

inline void WriteLe32(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

inline uint64_t ReadLe64(const uint8_t* at) {
  return ReadLe32(at) | static_cast<uint64_t>(ReadLe32(at + 4)) << 32;
}

inline void WriteLe64(uint8_t* at, uint64_t value) {
  WriteLe32(at, static_cast<uint32_t>(value));
  WriteLe32(at + 4, static_cast<uint32_t>(value >> 32));
}
