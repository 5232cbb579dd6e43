// The packed container, as every reader of the "app" and "tail" resources and of record files
// unpacks it, and as PackedView reads it in place: both accept the same containers and read the
// same payload.
#include <cstring>
#include <vector>

#include "support/container/packed_container.h"
#include "support/container/packed_view.h"
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
  PackedView view;
  const bool verified = view.Open(data, n) && view.Verify();
  FuzzCheck(verified == (unpacked != 0), "read in place, a container is accepted as unpacked");
  if (unpacked == 0) return 0;
  std::vector<uint8_t> inPlace(unpacked);
  FuzzCheck(view.Read(0, inPlace.data(), unpacked) &&
                std::memcmp(inPlace.data(), out.data(), unpacked) == 0,
            "read in place, the payload is what unpacking gives");
  // A container is accepted only when it is exactly what packing its payload writes: the marker,
  // the length, the payload's word and the payload scrambled with them.
  std::vector<uint8_t> repacked(unpacked + kContainerHeaderSize);
  uint32_t packed = PackContainer(repacked.data(), static_cast<uint32_t>(repacked.size()),
                                  out.data(), unpacked);
  FuzzCheck(packed == repacked.size() && std::memcmp(repacked.data(), data, packed) == 0,
            "an accepted container is the packing of what it unpacks to");
  return 0;
}
