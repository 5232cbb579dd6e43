#include "install/paint_pause.h"

#include <windows.h>

namespace {

constexpr uint64_t kPauseEveryMs = 15;

}  // namespace

void PaintPause::AfterEntry() {
  uint64_t now = GetTickCount64();
  if (now - lastPause_ < kPauseEveryMs) {
    SwitchToThread();
    return;
  }
  Sleep(1);
  lastPause_ = GetTickCount64();
}
