#include "install/install_thread.h"

#include <windows.h>
#include <timeapi.h>

namespace {

// One-millisecond pauses last up to 15 ms at the default timer resolution; the install raises it
// while it runs.
class FineTimer {
 public:
  FineTimer() { timeBeginPeriod(1); }
  ~FineTimer() { timeEndPeriod(1); }
  FineTimer(const FineTimer&) = delete;
  FineTimer& operator=(const FineTimer&) = delete;
};

}  // namespace

void CInstallThread::Run() {
  FineTimer fineTimer;
  work_();
}
