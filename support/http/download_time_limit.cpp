#include "support/http/download_time_limit.h"

#include "support/http/http_body_reader.h"

uint64_t DownloadTimeLimitMs(uint64_t bytes) {
  // Rounded up: a part of a window is given a whole one.
  const uint64_t windows = (bytes + kSlowestWindowBytes - 1) / kSlowestWindowBytes;
  return windows * kSlowWindowMs + kDownloadAllowanceMs;
}
