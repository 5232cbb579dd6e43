#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "tests/fuzz/fuzz_check.h"

// The text a record's writer makes, in at most capacity units with its terminating zero.
template <typename Record>
std::u16string WrittenText(Record& record, size_t capacity) {
  // Kept from run to run: filling a fresh buffer each time would be most of the work.
  static std::vector<char16_t> scratch;
  if (scratch.size() < capacity) scratch.resize(capacity);
  int units = record.WriteText(scratch.data(), static_cast<int>(capacity));
  FuzzCheck(units > 0, "every record read can be written");
  return std::u16string(scratch.data(), static_cast<size_t>(units) - 1);
}

// Whatever a record read, written out and read again, is the same record: nothing it holds reads
// back as something else.
template <typename Record>
void CheckReadsBackTheSame(Record& record, size_t capacity) {
  std::u16string written = WrittenText(record, capacity);
  Record back;
  FuzzCheck(back.ParseText(written.c_str()), "a written record parses");
  FuzzCheck(WrittenText(back, capacity) == written, "a written record reads back the same");
}
