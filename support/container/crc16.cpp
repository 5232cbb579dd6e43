#include "support/container/crc16.h"

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

// slices[k][i]: the CRC of byte i followed by k zero bytes. Eight bytes then fold in with eight
// independent look-ups instead of a chain of eight, several times faster over a large payload.
using SliceTables = std::array<std::array<uint16_t, 256>, 8>;

SliceTables BuildSlices(const uint16_t* table) {
  SliceTables slices{};
  for (unsigned i = 0; i < 256; ++i) slices[0][i] = table[i];
  for (int k = 1; k < 8; ++k) {
    for (unsigned i = 0; i < 256; ++i) {
      const uint16_t shorter = slices[k - 1][i];
      slices[k][i] = static_cast<uint16_t>((shorter >> 8) ^ table[shorter & 0xFF]);
    }
  }
  return slices;
}

const SliceTables& Slices() {
  static const SliceTables slices = BuildSlices(Crc16Table());
  return slices;
}

}  // namespace

const uint16_t* Crc16Table() {
  // A function-local static is initialised exactly once even when threads race to it.
  static const std::array<uint16_t, 256> table = BuildTable();
  return table.data();
}

uint16_t Crc16Update(uint16_t initial, const uint8_t* bytes, uint32_t n, const uint16_t* table) {
  if (bytes == nullptr || n == 0) return initial;
  uint16_t crc = static_cast<uint16_t>(~initial);
  uint32_t i = 0;
  if (table == nullptr) {
    table = Crc16Table();
    const SliceTables& s = Slices();
    for (; n - i >= 8; i += 8) {
      const uint8_t* b = bytes + i;
      crc = s[7][(crc ^ b[0]) & 0xFF] ^ s[6][((crc >> 8) ^ b[1]) & 0xFF] ^ s[5][b[2]] ^
            s[4][b[3]] ^ s[3][b[4]] ^ s[2][b[5]] ^ s[1][b[6]] ^ s[0][b[7]];
    }
  }
  for (; i < n; ++i) crc = (crc >> 8) ^ table[(crc ^ bytes[i]) & 0xFF];
  return static_cast<uint16_t>(~crc);
}
