#include "ui/tray_position.h"

namespace {

constexpr DWORD kPollMilliseconds = 1000;
constexpr DWORD kStopMilliseconds = 5000;

// Holds a critical section for the length of a scope.
class Lock {
 public:
  explicit Lock(CRITICAL_SECTION* section) : section_(section) { EnterCriticalSection(section_); }
  ~Lock() { LeaveCriticalSection(section_); }
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;

 private:
  CRITICAL_SECTION* section_;
};

}  // namespace

CTrayPos::CTrayPos() {
  InitializeCriticalSection(&lock_);
  stopEvent_.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
  if (stopEvent_.Valid()) thread_.Reset(CreateThread(nullptr, 0, PollEntry, this, 0, nullptr));
}

CTrayPos::~CTrayPos() {
  StopPolling();
  DeleteCriticalSection(&lock_);
}

void CTrayPos::StopPolling() {
  if (!thread_.Valid()) return;
  SetEvent(stopEvent_.Get());
  if (WaitForSingleObject(thread_.Get(), kStopMilliseconds) != WAIT_OBJECT_0) {
    TerminateThread(thread_.Get(), 0);
  }
  thread_.Reset(nullptr);
}

void CTrayPos::OnTrayMouseMove() {
  bool entered;
  {
    Lock lock(&lock_);
    GetCursorPos(&lastPosition_);
    entered = !hovering_;
    hovering_ = true;
  }
  if (entered) OnHover();
}

void CTrayPos::SetWatchedWindow(HWND window) { watchedWindow_ = window; }

DWORD WINAPI CTrayPos::PollEntry(LPVOID self) {
  static_cast<CTrayPos*>(self)->Poll();
  return 0;
}

void CTrayPos::Poll() {
  while (WaitForSingleObject(stopEvent_.Get(), kPollMilliseconds) == WAIT_TIMEOUT) {
    if (CursorLeft()) OnLeave();
  }
}

bool CTrayPos::CursorLeft() {
  Lock lock(&lock_);
  if (!hovering_) return false;
  POINT cursor;
  if (!GetCursorPos(&cursor)) return false;
  // A cursor at rest has not left; nor has one still over the notification area's window.
  if (cursor.x == lastPosition_.x && cursor.y == lastPosition_.y) return false;
  HWND watched = watchedWindow_;
  if (watched != nullptr && WindowFromPoint(cursor) == watched) return false;
  hovering_ = false;
  return true;
}

CMsgTrayPos::~CMsgTrayPos() { StopPolling(); }

void CMsgTrayPos::SetTarget(HWND window, uint32_t iconId, uint32_t callbackMessage) {
  targetWindow_ = window;
  iconId_ = iconId;
  callbackMessage_ = callbackMessage;
}

void CMsgTrayPos::OnHover() { Notify(WM_MOUSEHOVER); }

void CMsgTrayPos::OnLeave() { Notify(WM_MOUSELEAVE); }

void CMsgTrayPos::Notify(UINT code) {
  HWND target = targetWindow_;
  if (target != nullptr && IsWindow(target)) {
    PostMessageW(target, callbackMessage_, iconId_, code);
  }
}
