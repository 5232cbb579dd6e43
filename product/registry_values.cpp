#include "product/registry_values.h"

#include <vector>

namespace {

// The system's numbers for the two types, which the journal hands to it unchanged.
constexpr uint32_t kRegistryText = 1;    // REG_SZ
constexpr uint32_t kRegistryNumber = 4;  // REG_DWORD

}  // namespace

RegistryValue TextValue(const std::u16string& text) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.c_str());
  return RegistryValue{kRegistryText,
                       std::vector<uint8_t>(bytes, bytes + (text.size() + 1) * sizeof(char16_t))};
}

RegistryValue NumberValue(uint32_t number) {
  RegistryValue value{kRegistryNumber, {}};
  for (int shift = 0; shift < 32; shift += 8) value.bytes.push_back(uint8_t(number >> shift));
  return value;
}
