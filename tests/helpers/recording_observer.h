#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

#include "installer/install_flow.h"

// Stands in for the install window: keeps what the flow posts, asks and closes with.
class RecordingObserver : public IInstallObserver {
 public:
  void OnElementChanged(InstallElement) override {}
  void PostCommand(int id) override {
    std::lock_guard<std::mutex> lock(mutex_);
    posted_.push_back(id);
    arrived_.notify_all();
  }
  void Close(int exitCode) override { closes.push_back(exitCode); }

  // The next posted command, or -1 when none comes within the time.
  int NextCommand(std::chrono::seconds timeout = std::chrono::seconds(60)) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!arrived_.wait_for(lock, timeout, [this] { return !posted_.empty(); })) return -1;
    int id = posted_.front();
    posted_.pop_front();
    return id;
  }

  std::vector<int> closes;

 private:
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::deque<int> posted_;
};
