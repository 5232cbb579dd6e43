// The window's entry in the notification area and its blinking.
#include "ui/window.h"

#include <shellapi.h>

namespace {

constexpr UINT kBlinkMilliseconds = 400;
// The entry's first form holds a tooltip of 64 units with its terminator.
constexpr int kTooltipUnits = 64;

}  // namespace

bool CWindow::NotifyTray(DWORD action, uint32_t id, uint32_t callbackMessage, UINT flags,
                         HICON icon, const char16_t* tooltip) {
  NOTIFYICONDATAW data{};
  data.cbSize = NOTIFYICONDATAW_V1_SIZE;
  data.hWnd = window_;
  data.uID = id;
  data.uFlags = flags;
  data.uCallbackMessage = callbackMessage;
  data.hIcon = icon;
  if (tooltip != nullptr) {
    int length = 0;
    while (length < kTooltipUnits - 1 && tooltip[length] != 0) {
      data.szTip[length] = static_cast<wchar_t>(tooltip[length]);
      ++length;
    }
    data.szTip[length] = 0;
  }
  return Shell_NotifyIconW(action, &data) != FALSE;
}

bool CWindow::TrayAdd(uint32_t id, HICON icon, const char16_t* tooltip, uint32_t callbackMessage) {
  // Tray id 0 is what the window keeps for "no entry".
  if (!IsAlive() || id == 0) return false;
  if (trayId_ != 0) TrayRemove();
  if (!NotifyTray(NIM_ADD, id, callbackMessage, NIF_MESSAGE | NIF_ICON | NIF_TIP, icon,
                  tooltip != nullptr ? tooltip : u"")) {
    return false;
  }
  trayId_ = id;
  trayCallbackMessage_ = callbackMessage;
  trayIcon_ = icon;
  if (!trayTracker_) trayTracker_ = std::make_unique<CMsgTrayPos>();
  trayTracker_->SetWatchedWindow(trayHostWindow_);
  trayTracker_->SetTarget(window_, id, callbackMessage);
  return true;
}

bool CWindow::TrayModify(HICON icon, const char16_t* tooltip) {
  if (!IsAlive() || trayId_ == 0) return false;
  UINT flags = (icon != nullptr ? NIF_ICON : 0) | (tooltip != nullptr ? NIF_TIP : 0);
  if (flags == 0) return false;
  if (!NotifyTray(NIM_MODIFY, trayId_, trayCallbackMessage_, flags, icon, tooltip)) return false;
  if (icon != nullptr) trayIcon_ = icon;
  return true;
}

bool CWindow::SetTrayHostWindow(HWND host) {
  trayHostWindow_ = host;
  if (trayTracker_) trayTracker_->SetWatchedWindow(host);
  return true;
}

bool CWindow::TraySetIcon(HICON icon) {
  if (!ShowTrayIcon(icon)) return false;
  trayIcon_ = icon;
  return true;
}

bool CWindow::ShowTrayIcon(HICON icon) {
  return IsAlive() && trayId_ != 0 &&
         NotifyTray(NIM_MODIFY, trayId_, trayCallbackMessage_, NIF_ICON, icon, nullptr);
}

bool CWindow::TraySetTip(const char16_t* tooltip) {
  return IsAlive() && trayId_ != 0 &&
         NotifyTray(NIM_MODIFY, trayId_, trayCallbackMessage_, NIF_TIP, nullptr,
                    tooltip != nullptr ? tooltip : u"");
}

bool CWindow::TrayRemove() {
  if (trayId_ == 0) return false;
  if (!NotifyTray(NIM_DELETE, trayId_, trayCallbackMessage_, 0, nullptr, nullptr)) return false;
  trayId_ = 0;
  trayCallbackMessage_ = 0;
  trayIcon_ = nullptr;
  trayTracker_.reset();
  return true;
}

bool CWindow::TrayBlinkStart(HICON icon) {
  blinking_ = true;
  blinkIcon_ = icon;
  return IsAlive() &&
         SetTimer(window_, blinkTimerId_, kBlinkMilliseconds, nullptr) == blinkTimerId_;
}

bool CWindow::TrayBlinkStop() {
  if (IsAlive()) KillTimer(window_, blinkTimerId_);
  // The blink shows the entry's own icon again, the one it had before the blink began.
  ShowTrayIcon(trayIcon_);
  blinkIcon_ = nullptr;
  blinking_ = false;
  blinkPhase_ = false;
  return true;
}

void CWindow::OnTimer(uint32_t timerId) {
  // A tick already queued when the blink stopped must not bring the blink icon back.
  if (timerId == blinkTimerId_ && blinking_) {
    ShowTrayIcon(blinkPhase_ ? nullptr : blinkIcon_);
    blinkPhase_ = !blinkPhase_;
  }
  if (windowHandlers_ != nullptr && windowHandlers_->timer != nullptr) {
    windowHandlers_->timer(this, timerId);
  }
}
