#pragma once
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

#include "install/install_flow.h"

// Stands in for the install window where there is none (the headless install, the tests): the
// commands the flow posts from its worker queue up for the thread that owns the flow, and the
// exit codes it closes with are kept.
class CommandQueueObserver : public IInstallObserver {
 public:
  static constexpr int kClosed = 0;
  static constexpr int kTimedOut = -1;

  void OnViewChanged() override {}
  void PostCommand(int id) override;
  void Close(int exitCode) override;

  // The next posted command; kClosed once the flow has closed and nothing is queued; kTimedOut
  // when neither happens within the time.
  int NextCommand(std::chrono::milliseconds timeout = std::chrono::seconds(60));
  // Every exit code the flow closed with, in order.
  std::vector<int> Closes();

 private:
  std::mutex mutex_;
  std::condition_variable arrived_;
  std::deque<int> posted_;
  std::vector<int> closes_;
};
