#pragma once

#include <cstdint>

// How long a download may take as a whole, every attempt and pause included: the time its bytes
// take at the slowest speed a body may keep (kSlowestWindowBytes in kSlowWindowMs, about 1 KB a
// second), and an allowance for what brings no bytes (connecting, waiting for a reply, the pauses
// between attempts). A slow but moving download of any size keeps within it; retries that make
// no headway do not stretch it.

// Given to every download on top of its bytes' time.
constexpr uint64_t kDownloadAllowanceMs = 2 * 60 * 1000;

// The longest a download of bytes may take, in milliseconds.
uint64_t DownloadTimeLimitMs(uint64_t bytes);
