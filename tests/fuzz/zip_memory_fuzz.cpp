// Zip archives read from memory with the archive password: the payload archive and the client
// archive nested in it.
#include "support/xdata.h"
#include "support/xzip.h"
#include "tests/fuzz/fuzz_check.h"

// Enough entries to reach every path of the reader without spending the run on one input.
constexpr int kMostEntries = 64;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > UINT32_MAX) return 0;
  XZip zip;
  if (!zip.OpenMemory(data, static_cast<uint32_t>(size), XZip::GetArchivePassword())) return 0;
  for (int i = 0; i < zip.GetCount() && i < kMostEntries; ++i) {
    char16_t name[XZip::kNameCapacity];
    if (zip.GetName(i, name)) {
      uint32_t claimed = 0;
      FuzzCheck(zip.Find(name, &claimed) >= 0, "a listed name is found");
    }
    zip.IsFolder(i);
    XData entry;
    if (!zip.ReadItem(i, &entry)) FuzzCheck(entry.Data() == nullptr, "a failed read keeps nothing");
  }
  FuzzCheck(zip.Close(), "an opened archive closes");
  return 0;
}
