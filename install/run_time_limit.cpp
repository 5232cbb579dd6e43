#include "install/run_time_limit.h"

#include <chrono>
#include <utility>

#include "records/update_info.h"
#include "support/http/download_time_limit.h"
#include "support/text/utf8.h"

namespace {

// How often the watch looks at the clock: a bound of minutes is kept to within this.
constexpr auto kWatchPeriod = std::chrono::milliseconds(100);

}  // namespace

void RunTimeBound::AllowList(const IUpdateInfo& list) {
  for (int i = 0; i < list.Count(); ++i) {
    const UpdateItem* item = list.Get(i);
    if (item != nullptr && item->action == UpdateItem::kActionUpdate && item->size > 0) {
      // Held at the largest value: a bound that wrapped would stop the run at once.
      if (__builtin_add_overflow(boundMs_, DownloadTimeLimitMs(static_cast<uint64_t>(item->size)),
                                 &boundMs_)) {
        boundMs_ = UINT64_MAX;
      }
    }
  }
}

CRunTimeLimit::CRunTimeLimit(std::atomic<bool>& stop, Clock now)
    : stop_(stop), now_(std::move(now)), bound_(now_()), watcher_([this] { Watch(); }) {}

CRunTimeLimit::~CRunTimeLimit() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    ending_ = true;
  }
  endingChanged_.notify_all();
  watcher_.join();
}

void CRunTimeLimit::AllowList(const IUpdateInfo& list) {
  std::lock_guard<std::mutex> lock(mutex_);
  bound_.AllowList(list);
}

uint64_t CRunTimeLimit::BoundMs() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return bound_.BoundMs();
}

std::u16string CRunTimeLimit::ExpiredText() const {
  return u"took longer than its bound of " + Utf8ToUtf16(std::to_string(BoundMs() / 1000)) + u" s";
}

void CRunTimeLimit::Watch() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!endingChanged_.wait_for(lock, kWatchPeriod, [this] { return ending_; })) {
    if (bound_.PassedAt(now_())) {
      expired_ = true;
      stop_ = true;
      return;
    }
  }
}
