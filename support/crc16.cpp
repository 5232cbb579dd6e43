#include "support/crc16.h"

#include <array>

namespace {

std::array<uint16_t, 256> BuildTable() {
  std::array<uint16_t, 256> table{};
  for (unsigned i = 0; i < 256; ++i) {
    unsigned c = i;
    for (int bit = 0; bit < 8; ++bit) c = (c & 1) ? (c >> 1) ^ 0x8005 : c >> 1;
    table[i] = static_cast<uint16_t>(c);
  }
  return table;
}

}  // namespace

const uint16_t* Crc16Table() {
  // A function-local static is initialised exactly once even when threads race to it.
  static const std::array<uint16_t, 256> table = BuildTable();
  return table.data();
}

uint16_t Crc16Update(uint16_t initial, const uint8_t* bytes, uint32_t n, const uint16_t* table) {
  if (bytes == nullptr || n == 0) return initial;
  if (table == nullptr) table = Crc16Table();
  uint16_t crc = static_cast<uint16_t>(~initial);
  for (uint32_t i = 0; i < n; ++i) crc = (crc >> 8) ^ table[(crc ^ bytes[i]) & 0xFF];
  return static_cast<uint16_t>(~crc);
}
