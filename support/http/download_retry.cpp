#include "support/http/download_retry.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

constexpr uint32_t kFirstPauseMs = 500;
// How often a pause looks at the stop flag.
constexpr auto kStopPoll = std::chrono::milliseconds(10);

bool Stopped(const std::atomic<bool>* stop) { return stop != nullptr && stop->load(); }

}  // namespace

uint32_t RetryPauseMs(int attempt) {
  if (attempt <= 1) return 0;
  uint32_t pause = kFirstPauseMs;
  for (int i = 2; i < attempt; ++i) pause *= 2;
  return pause;
}

bool PauseUnlessStopped(uint32_t ms, const std::atomic<bool>* stop) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!Stopped(stop)) {
    const auto now = std::chrono::steady_clock::now();
    if (now >= end) return true;
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(kStopPoll, end - now));
  }
  return false;
}
