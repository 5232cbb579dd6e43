// The update list ("update.xml"), as it comes from the payload or a download server.
#include "records/update_info.h"
#include "tests/fuzz/record_round_trip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > UINT32_MAX) return 0;
  CUpdateInfo list;
  if (!list.ParseBytes(data, static_cast<uint32_t>(size))) return 0;
  // The longest item line for every item, and one more for the head and end lines.
  CheckReadsBackTheSame(list,
                        static_cast<size_t>(list.Count() + 1) * IUpdateInfo::kLongestItemUnits);
  return 0;
}
