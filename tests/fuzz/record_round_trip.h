#pragma once

#include <cstddef>
#include <vector>

#include "tests/fuzz/fuzz_check.h"

// The text a record's writer makes, with its terminating zero, in at most capacity units.
template <typename Record>
std::vector<char16_t> WrittenText(Record& record, size_t capacity) {
  std::vector<char16_t> text(capacity);
  int units = record.WriteText(text.data(), static_cast<int>(capacity));
  FuzzCheck(units > 0, "every record read can be written");
  text.resize(static_cast<size_t>(units));
  return text;
}

// Whatever a record read, written out and read again, is the same record: nothing it holds reads
// back as something else.
template <typename Record>
void CheckReadsBackTheSame(Record& record, size_t capacity) {
  std::vector<char16_t> written = WrittenText(record, capacity);
  Record back;
  FuzzCheck(back.ParseText(written.data()), "a written record parses");
  FuzzCheck(WrittenText(back, capacity) == written, "a written record reads back the same");
}
