#pragma once

#include <cstdint>

// The processor's identification text: vendor and brand, a space, then leaf 1 (EDX, EAX, ECX)
// and leaf 2 (EAX, EBX, ECX, EDX) as upper-case hexadecimal. At most kCpuTextCapacity bytes with
// the terminator.
constexpr int kCpuTextCapacity = 12 + 48 + 1 + 24 + 32;

struct CpuidRegisters {
  uint32_t eax, ebx, ecx, edx;
};
using CpuidFunction = CpuidRegisters (*)(uint32_t leaf);

// Builds the text from the given identification function. Returns its length, 0 for null out.
int FormatCpuText(char* out, CpuidFunction cpuid);
// The same from this processor.
int GetCpuText(char* out);
