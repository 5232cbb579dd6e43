#pragma once

#include <cstddef>
#include <cstdint>

// The raw identity text of a machine: "|cpu|board|disk|". Each serial is at most
// kSerialCapacity - 1 bytes; an empty component leaves its two bars adjacent.
constexpr int kSerialCapacity = 256;
// The raw text is built in a buffer of this many bytes.
constexpr int kMachineTextCapacity = 1024;

// Swaps the two bytes of every 16-bit unit (ATA identify strings store them swapped).
void SwapBytePairs(uint8_t* data, size_t length);

// The value after "SerialNumber" in a wmic listing: from the first to the last non-blank byte,
// cut to kSerialCapacity - 1 bytes and terminated in out. Returns its length, 0 when none.
int ExtractSerialNumber(const char* listing, size_t n, char* out);

// Assembles the raw text from its components into buffer (capacity bytes, terminated when the
// whole text fits). Returns its length; when the capacity runs out part-way, the length of the
// part that would fit, as the identity expects; 0 when not even the processor text fits.
int BuildMachineText(char* buffer, int capacity, const char* cpu, const char* board,
                     const char* disk);

// The device identifier of a raw identity text (length bytes) and an optional extra text: the MD5
// of the raw text, then, when extra is given, its bytes and one "|". out receives 32 upper-case
// digits and a terminator (kDeviceIdUnits units; left empty on failure). False for a null out or
// an empty raw text.
constexpr int kDeviceIdUnits = 33;
bool DeviceIdOfMachineText(char16_t* out, const char* machineText, int length, const char* extra);
