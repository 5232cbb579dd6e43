#pragma once

#include <cstdint>
#include <string>

// The values of the reply headers a download judges, read strictly: a value that is not exactly
// what the header's grammar allows is refused rather than guessed at.

// A Content-Length: decimal digits, with white space around them allowed. False for anything
// else, also for a number too large for 64 bits.
bool ParseContentLength(const std::string& text, uint64_t* length);

// The span a 206 reply carries: bytes first to last (inclusive) of a resource of total bytes.
struct ContentRange {
  uint64_t first = 0;
  uint64_t last = 0;
  uint64_t total = 0;
};

// A Content-Range of the form "bytes FIRST-LAST/TOTAL" (the unit in any letter case). False for
// anything else: another unit, an unknown total ("*"), an unsatisfied range ("*/TOTAL"), or a span
// that is not inside the total.
bool ParseContentRange(const std::string& text, ContentRange* range);
