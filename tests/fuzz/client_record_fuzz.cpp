// The client record, as start-up reads the "app" resource and the install window "app.txt":
// either stored form, or bare UTF-16LE.
#include "records/client_info.h"
#include "tests/fuzz/record_round_trip.h"

// Sixteen entries of at most 511 units each, with their keys, fit with room to spare.
constexpr size_t kTextUnits = 16384;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > UINT32_MAX) return 0;
  CClientInfo record;
  // No value may hide another entry that a second reading would find.
  if (record.ParseBytes(data, static_cast<uint32_t>(size))) CheckReadsBackTheSame(record, kTextUnits);
  return 0;
}
