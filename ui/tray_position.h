#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "support/core/handle_windows.h"

// Tells when the cursor comes over a tray icon and when it leaves it, which the system reports
// only as mouse moves over the icon: the first move raises OnHover, and a polling thread that
// looks at the cursor once a second raises OnLeave when it has moved off the icon (a cursor that
// rests, or stays over the notification area's window, still counts as over the icon).
//
// The notifications run on the polling thread (OnLeave) and on the caller's (OnHover). A derived
// class must call StopPolling in its own destructor, because the thread calls its overrides.
class CTrayPos {
 public:
  // Starts the polling thread; when it cannot be started the tracker raises hovers only.
  CTrayPos();
  // Stops the polling thread, waiting up to 5 seconds before ending it by force.
  virtual ~CTrayPos();
  CTrayPos(const CTrayPos&) = delete;
  CTrayPos& operator=(const CTrayPos&) = delete;

  // The owning window saw a mouse move over its icon.
  void OnTrayMouseMove();
  // The notification-area window that holds the icon, or null.
  void SetWatchedWindow(HWND window);

 protected:
  virtual void OnHover() = 0;
  virtual void OnLeave() = 0;
  void StopPolling();

 private:
  static DWORD WINAPI PollEntry(LPVOID self);
  void Poll();
  // Whether the cursor has left the icon since the last mouse move; takes the lock.
  bool CursorLeft();

  POINT lastPosition_{};
  Handle thread_;
  Handle stopEvent_;
  bool hovering_ = false;
  std::atomic<HWND> watchedWindow_{nullptr};
  CRITICAL_SECTION lock_;
};

// The tracker of a window's tray icon: hover and leave arrive at the window as its tray callback
// message with the icon id as w and WM_MOUSEHOVER or WM_MOUSELEAVE as l.
class CMsgTrayPos : public CTrayPos {
 public:
  CMsgTrayPos() = default;
  ~CMsgTrayPos() override;

  void SetTarget(HWND window, uint32_t iconId, uint32_t callbackMessage);

 protected:
  void OnHover() override;
  void OnLeave() override;

 private:
  void Notify(UINT code);

  std::atomic<HWND> targetWindow_{nullptr};
  std::atomic<uint32_t> iconId_{0};
  std::atomic<uint32_t> callbackMessage_{0};
};
