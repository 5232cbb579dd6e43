#pragma once

#include <atomic>
#include <cstdint>

// How often, and after which pauses, a download that was cut off or met a failing server is tried
// again: a few times, each pause twice the last, so that a short outage is ridden out and a long
// one ends the download (whose staging file the next run resumes).

constexpr int kDownloadAttempts = 4;

// The pause before attempt (counted from 1): none before the first, 500 ms before the second,
// then twice the last.
uint32_t RetryPauseMs(int attempt);

// Waits ms milliseconds, ending at once (within a few milliseconds) when stop is set. False when
// it ended because of the stop.
bool PauseUnlessStopped(uint32_t ms, const std::atomic<bool>* stop);
