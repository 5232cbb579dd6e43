#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

// Helpers of the fuzz targets, each a file defining LLVMFuzzerTestOneInput over one parser of
// outside data. Beyond what the sanitizers catch, a target checks properties of the parser's
// result; a property that does not hold stops the run, as a crash does, both under libFuzzer and
// in the replay of the committed inputs.

inline void FuzzCheck(bool holds, const char* property) {
  if (holds) return;
  std::fprintf(stderr, "fuzz check failed: %s\n", property);
  std::abort();
}

// The input as UTF-16LE units, an odd last byte dropped, followed by a zero unit.
inline std::vector<char16_t> Utf16Units(const uint8_t* data, size_t size) {
  std::vector<char16_t> units;
  for (size_t i = 0; i + 1 < size; i += 2) {
    units.push_back(static_cast<char16_t>(data[i] | data[i + 1] << 8));
  }
  units.push_back(0);
  return units;
}
