// The packed container, as every reader of the "app" and "tail" resources and of record files
// unpacks it.
#include <cstring>
#include <vector>

#include "support/packed_container.h"
#include "tests/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > UINT32_MAX - kContainerHeaderSize) return 0;
  auto n = static_cast<uint32_t>(size);
  std::vector<uint8_t> out(size + 1);
  uint32_t unpacked = UnpackContainer(out.data(), n + 1, data, n);
  if (!HasContainerMarker(data, n)) {
    FuzzCheck(unpacked == n && std::memcmp(out.data(), data, size) == 0,
              "bytes without the marker come out unchanged");
    return 0;
  }
  if (unpacked == 0) return 0;
  // A container is accepted only when it is exactly what packing its payload writes: the marker,
  // the length, the payload's word and the payload scrambled with them.
  std::vector<uint8_t> repacked(unpacked + kContainerHeaderSize);
  uint32_t packed = PackContainer(repacked.data(), static_cast<uint32_t>(repacked.size()),
                                  out.data(), unpacked);
  FuzzCheck(packed == repacked.size() && std::memcmp(repacked.data(), data, packed) == 0,
            "an accepted container is the packing of what it unpacks to");
  return 0;
}
