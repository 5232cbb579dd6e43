#include "support/journal/background_placer.h"

#include <system_error>
#include <utility>

BackgroundPlacer::BackgroundPlacer(IJournalTarget& target) : target_(target) {
  try {
    thread_ = std::thread([this] { Run(); });
  } catch (const std::system_error&) {
    // No thread: Hand places each file itself.
  }
}

BackgroundPlacer::~BackgroundPlacer() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    ending_ = true;
    waiting_.clear();
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void BackgroundPlacer::Hand(std::unique_ptr<IStagedFile> file, const std::u16string& path) {
  Waiting handed{std::move(file), path};
  if (!thread_.joinable()) {
    Place(handed);
    return;
  }
  std::unique_lock<std::mutex> hold(lock_);
  changed_.wait(hold, [this] { return waiting_.size() < kMostWaiting; });
  waiting_.push_back(std::move(handed));
  changed_.notify_all();
}

bool BackgroundPlacer::Finish(std::u16string* path, std::u16string* reason) {
  std::unique_lock<std::mutex> hold(lock_);
  changed_.wait(hold, [this] { return waiting_.empty() && !placing_; });
  if (!failed_) return true;
  *path = failedPath_;
  *reason = failedReason_;
  return false;
}

void BackgroundPlacer::Run() {
  std::unique_lock<std::mutex> hold(lock_);
  for (;;) {
    changed_.wait(hold, [this] { return ending_ || !waiting_.empty(); });
    if (ending_) return;
    Waiting next = std::move(waiting_.front());
    waiting_.pop_front();
    // After a failure the run is undone: the files after it are closed where they are.
    const bool place = !failed_;
    placing_ = true;
    hold.unlock();
    if (place) Place(next);
    next.file.reset();
    hold.lock();
    placing_ = false;
    changed_.notify_all();
  }
}

void BackgroundPlacer::Place(Waiting& waiting) {
  if (waiting.file->Place(waiting.path)) return;
  const std::u16string reason = target_.LastError();
  std::lock_guard<std::mutex> hold(lock_);
  // Handed in order, placed in order: the first failure is the earliest file that failed.
  if (failed_) return;
  failed_ = true;
  failedPath_ = waiting.path;
  failedReason_ = reason;
}
