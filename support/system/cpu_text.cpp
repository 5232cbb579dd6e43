#include "support/system/cpu_text.h"

#include <cpuid.h>

#include <cstdio>
#include <cstring>

namespace {

CpuidRegisters ReadCpuid(uint32_t leaf) {
  CpuidRegisters r = {};
  __cpuid(leaf, r.eax, r.ebx, r.ecx, r.edx);
  return r;
}

void PutRegister(char* at, uint32_t value) { std::memcpy(at, &value, 4); }

}  // namespace

int FormatCpuText(char* out, CpuidFunction cpuid) {
  if (out == nullptr || cpuid == nullptr) return 0;
  char names[12 + 48 + 1] = {};
  // The vendor's registers spell it in the order EBX, ECX, EDX.
  CpuidRegisters vendor = cpuid(0);
  PutRegister(names, vendor.ebx);
  PutRegister(names + 4, vendor.ecx);
  PutRegister(names + 8, vendor.edx);
  if (cpuid(0x80000000).eax >= 0x80000004) {
    for (uint32_t i = 0; i < 3; ++i) {
      CpuidRegisters brand = cpuid(0x80000002 + i);
      char* at = names + 12 + 16 * i;
      PutRegister(at, brand.eax);
      PutRegister(at + 4, brand.ebx);
      PutRegister(at + 8, brand.ecx);
      PutRegister(at + 12, brand.edx);
    }
  }
  size_t nameLength = std::strlen(names);
  CpuidRegisters features = cpuid(1);
  CpuidRegisters cache = cpuid(2);
  std::memcpy(out, names, nameLength);
  int written = std::snprintf(out + nameLength, kCpuTextCapacity - nameLength,
                              " %08X%08X%08X%08X%08X%08X%08X", features.edx, features.eax,
                              features.ecx, cache.eax, cache.ebx, cache.ecx, cache.edx);
  return static_cast<int>(nameLength) + written;
}

int GetCpuText(char* out) { return FormatCpuText(out, ReadCpuid); }
