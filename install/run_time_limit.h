#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

class IUpdateInfo;

// Given to a run from its start, before its list is known: fetching the lists and their
// signatures, each bounded by its own speed floor.
constexpr uint64_t kListsAllowanceMs = 10 * 60 * 1000;

// The bound on the whole time of an unattended run that downloads, measured from its start:
// kListsAllowanceMs, and once its list is known, the time limit of every file the list names
// (DownloadTimeLimitMs: its bytes at the slowest speed a download keeps, and an allowance). So it
// grows with what the run must download: a slow but moving download of any size keeps within
// it; a run held up anywhere does not.
class RunTimeBound {
 public:
  explicit RunTimeBound(uint64_t startMs) : startMs_(startMs) {}

  // Adds the time limits of the files list downloads (its deletions take none).
  void AllowList(const IUpdateInfo& list);
  uint64_t BoundMs() const { return boundMs_; }
  // Whether a run still going at nowMs has run past the bound.
  bool PassedAt(uint64_t nowMs) const { return nowMs - startMs_ >= boundMs_; }

 private:
  uint64_t startMs_;
  uint64_t boundMs_ = kListsAllowanceMs;
};

// Holds a run to its RunTimeBound: a thread of its own looks at the clock a few times a second
// and, once the bound has passed, sets the run's stop flag, which ends the run as a cancel does.
// The run then tells it by Expired.
class CRunTimeLimit {
 public:
  // Milliseconds on a clock that only goes forward; called on the limit's thread too.
  using Clock = std::function<uint64_t()>;

  // The bound starts at now(); stop outlives the limit.
  CRunTimeLimit(std::atomic<bool>& stop, Clock now);
  // Ends the watch.
  ~CRunTimeLimit();
  CRunTimeLimit(const CRunTimeLimit&) = delete;
  CRunTimeLimit& operator=(const CRunTimeLimit&) = delete;

  void AllowList(const IUpdateInfo& list);
  uint64_t BoundMs() const;
  // Whether the bound passed and the limit set the stop for it.
  bool Expired() const { return expired_.load(); }
  // What the log says of the run it stopped: "took longer than its bound of N s".
  std::u16string ExpiredText() const;

 private:
  void Watch();

  std::atomic<bool>& stop_;
  const Clock now_;
  mutable std::mutex mutex_;
  RunTimeBound bound_;
  bool ending_ = false;
  std::condition_variable endingChanged_;
  std::atomic<bool> expired_{false};
  std::thread watcher_;  // last: it starts once the rest is ready
};
