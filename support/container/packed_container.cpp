#include "support/container/packed_container.h"

#include <cstring>

#include "support/container/byte_scrambler.h"
#include "support/container/crc16.h"
#include "support/core/little_endian.h"

namespace {

constexpr uint8_t kMarker[4] = {0xFF, 0xFD, 0xFD, 0xFF};

}  // namespace

bool HasContainerMarker(const uint8_t* bytes, uint32_t n) {
  if (bytes == nullptr || n < sizeof kMarker) return false;
  int differentBits = 0;
  for (size_t i = 0; i < sizeof kMarker; ++i) {
    for (unsigned diff = bytes[i] ^ kMarker[i]; diff != 0; diff &= diff - 1) ++differentBits;
  }
  return differentBits <= 1;
}

bool ReadContainerHeader(const uint8_t* bytes, uint32_t n, uint32_t* length, uint16_t* word) {
  if (bytes == nullptr || n < kContainerHeaderSize ||
      std::memcmp(bytes, kMarker, sizeof kMarker) != 0) {
    return false;
  }
  *length = ReadLe32(bytes + 4);
  *word = static_cast<uint16_t>(bytes[8] | (bytes[9] << 8));
  // The length field is data: it must fit what was given.
  return *length != 0 && *length <= n - kContainerHeaderSize;
}

uint32_t ContainerKey(uint32_t length, uint16_t word) {
  return length + static_cast<uint32_t>(word) * 65536u;
}

uint32_t ContainerRounds(uint32_t key) { return key % 4 + 3; }

uint32_t UnpackContainer(uint8_t* destination, uint32_t destinationCapacity, const uint8_t* source,
                         uint32_t sourceLength) {
  if (destination == nullptr || source == nullptr || destinationCapacity == 0 ||
      sourceLength == 0) {
    return 0;
  }
  if (!HasContainerMarker(source, sourceLength)) {
    if (sourceLength > destinationCapacity) return 0;
    std::memmove(destination, source, sourceLength);
    return sourceLength;
  }
  // A marker one bit off is a damaged container, refused here.
  uint32_t length = 0;
  uint16_t word = 0;
  if (!ReadContainerHeader(source, sourceLength, &length, &word)) return 0;
  if (static_cast<uint64_t>(length) + kContainerHeaderSize > destinationCapacity) return 0;
  std::memmove(destination, source + kContainerHeaderSize, length);
  uint32_t key = ContainerKey(length, word);
  if (!UnscrambleBytes(destination, length, key, ContainerRounds(key))) return 0;
  return Crc16Update(0, destination, length, nullptr) == word ? length : 0;
}

void WriteContainerHeader(uint8_t* header, uint32_t length, uint16_t word) {
  std::memcpy(header, kMarker, sizeof kMarker);
  WriteLe32(header + 4, length);
  WriteLe16(header + 8, word);
}

uint32_t SealContainer(uint8_t* container, uint32_t payloadLength) {
  if (container == nullptr || payloadLength == 0) return 0;
  uint8_t* payload = container + kContainerHeaderSize;
  uint16_t word = Crc16Update(0, payload, payloadLength, nullptr);
  WriteContainerHeader(container, payloadLength, word);
  uint32_t key = ContainerKey(payloadLength, word);
  if (!ScrambleBytes(payload, payloadLength, key, ContainerRounds(key))) return 0;
  return payloadLength + kContainerHeaderSize;
}

uint32_t PackContainer(uint8_t* destination, uint32_t destinationCapacity, const uint8_t* payload,
                       uint32_t payloadLength) {
  if (destination == nullptr || payload == nullptr || payloadLength == 0) return 0;
  if (static_cast<uint64_t>(payloadLength) + kContainerHeaderSize > destinationCapacity) return 0;
  std::memmove(destination + kContainerHeaderSize, payload, payloadLength);
  return SealContainer(destination, payloadLength);
}
