#include "support/system/machine_text.h"

#include <cstring>

#include "support/crypto/md5.h"

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

void SwapBytePairs(uint8_t* data, size_t length) {
  if (data == nullptr) return;
  for (size_t i = 0; i + 1 < length; i += 2) {
    uint8_t first = data[i];
    data[i] = data[i + 1];
    data[i + 1] = first;
  }
}

int ExtractSerialNumber(const char* listing, size_t n, char* out) {
  if (out == nullptr) return 0;
  out[0] = 0;
  if (listing == nullptr) return 0;
  static const char kLabel[] = "SerialNumber";
  const size_t labelLength = sizeof kLabel - 1;
  size_t at = 0;
  while (at + labelLength <= n && std::memcmp(listing + at, kLabel, labelLength) != 0) ++at;
  if (at + labelLength > n) return 0;
  size_t first = at + labelLength;
  while (first < n && (IsBlank(listing[first]) || listing[first] == 0)) ++first;
  if (first >= n) return 0;
  size_t last = n;
  while (last > first && (IsBlank(listing[last - 1]) || listing[last - 1] == 0)) --last;
  size_t length = last - first;
  if (length > kSerialCapacity - 1) length = kSerialCapacity - 1;
  std::memcpy(out, listing + first, length);
  out[length] = 0;
  return static_cast<int>(length);
}

int BuildMachineText(char* buffer, int capacity, const char* cpu, const char* board,
                     const char* disk) {
  if (buffer == nullptr || cpu == nullptr || board == nullptr || disk == nullptr) return 0;
  int c = static_cast<int>(std::strlen(cpu));
  int b = static_cast<int>(std::strlen(board));
  int d = static_cast<int>(std::strlen(disk));
  if (capacity < c + 1) return 0;
  buffer[0] = '|';
  std::memcpy(buffer + 1, cpu, c);
  if (capacity < c + b + 2) return c + 1;
  buffer[c + 1] = '|';
  std::memcpy(buffer + c + 2, board, b);
  if (capacity < c + b + d + 5) return c + b + 2;
  buffer[c + b + 2] = '|';
  std::memcpy(buffer + c + b + 3, disk, d);
  buffer[c + b + d + 3] = '|';
  buffer[c + b + d + 4] = 0;
  return c + b + d + 4;
}

bool DeviceIdOfMachineText(char16_t* out, const char* machineText, int length, const char* extra) {
  if (out == nullptr) return false;
  out[0] = 0;
  if (machineText == nullptr || length <= 0) return false;
  XMD5 context;
  Md5Init(&context);
  Md5Update(&context, machineText, static_cast<uint32_t>(length));
  if (extra != nullptr) {
    Md5Update(&context, extra, static_cast<uint32_t>(std::strlen(extra)));
    Md5Update(&context, "|", 1);
  }
  Md5Final(&context);
  out[kDeviceIdUnits - 1] = 0;
  return HexEncode(out, kDeviceIdUnits - 1, context.digest, 16, true) == kDeviceIdUnits - 1;
}
