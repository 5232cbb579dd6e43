#pragma once

#include <atomic>
#include <chrono>
#include <thread>

// A stop flag that another thread sets after a delay, as the close question's Yes sets the
// install's: the test then measures how long the stopped work took to notice it.
class DelayedStop {
 public:
  explicit DelayedStop(std::chrono::milliseconds delay)
      : setter_([this, delay] {
          std::this_thread::sleep_for(delay);
          setAt_ = std::chrono::steady_clock::now();
          flag_ = true;
        }) {}
  ~DelayedStop() {
    if (setter_.joinable()) setter_.join();
  }
  DelayedStop(const DelayedStop&) = delete;
  DelayedStop& operator=(const DelayedStop&) = delete;

  const std::atomic<bool>* Flag() const { return &flag_; }
  // How long ago the flag was set; the longest duration when it is not set yet (what ended
  // before the stop was not ended by it).
  std::chrono::steady_clock::duration SinceSet() {
    const auto now = std::chrono::steady_clock::now();
    if (!flag_) return std::chrono::steady_clock::duration::max();
    setter_.join();
    setter_ = std::thread();
    return now - setAt_;
  }

 private:
  std::atomic<bool> flag_{false};
  std::chrono::steady_clock::time_point setAt_;
  std::thread setter_;
};
