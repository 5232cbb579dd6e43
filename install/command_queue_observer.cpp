#include "install/command_queue_observer.h"

void CommandQueueObserver::PostCommand(int id) {
  std::lock_guard<std::mutex> lock(mutex_);
  posted_.push_back(id);
  arrived_.notify_all();
}

void CommandQueueObserver::Close(int exitCode) {
  std::lock_guard<std::mutex> lock(mutex_);
  closes_.push_back(exitCode);
  arrived_.notify_all();
}

int CommandQueueObserver::NextCommand(std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!arrived_.wait_for(lock, timeout, [this] { return !posted_.empty() || !closes_.empty(); })) {
    return kTimedOut;
  }
  if (posted_.empty()) return kClosed;
  const int id = posted_.front();
  posted_.pop_front();
  return id;
}

std::vector<int> CommandQueueObserver::Closes() {
  std::lock_guard<std::mutex> lock(mutex_);
  return closes_;
}
