// Blur behind the window through the desktop composition library, which the window loads while
// it wants blur and which the system may lack; without it the window becomes a per-pixel-alpha
// layered window instead.
#include "ui/window.h"

#include <dwmapi.h>

#include "draw/gdi_handles.h"

namespace {

using BlurBehindFunction = HRESULT(WINAPI*)(HWND, const DWM_BLURBEHIND*);

constexpr DWORD kBlurFlags = DWM_BB_ENABLE | DWM_BB_BLURREGION | DWM_BB_TRANSITIONONMAXIMIZED;
constexpr DWORD kLayeredStyles = WS_EX_LAYERED | WS_EX_APPWINDOW;

// Only the copy in the system folder: a library of the same name beside the executable (an
// installer often runs from a downloads folder) must never be the one loaded.
HMODULE LoadCompositionLibrary() {
  return LoadLibraryExW(L"dwmapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

BlurBehindFunction BlurBehind(HMODULE library) {
  if (library == nullptr) return nullptr;
  return reinterpret_cast<BlurBehindFunction>(
      reinterpret_cast<void*>(GetProcAddress(library, "DwmEnableBlurBehindWindow")));
}

}  // namespace

bool CWindow::SetBlur(bool blur) {
  blurWanted_ = blur;
  if (!blur && compositionLibrary_ != nullptr) {
    SetBlurBehind(false);
    UnloadComposition();
  }
  return true;
}

void CWindow::UpdateBlur() {
  if (!IsAlive()) return;
  blurActive_ = false;
  if (layered_ || !blurWanted_) {
    if (compositionLibrary_ != nullptr) {
      SetBlurBehind(false);
      UnloadComposition();
    }
  } else {
    if (compositionLibrary_ == nullptr) compositionLibrary_ = LoadCompositionLibrary();
    blurActive_ = SetBlurBehind(true);
  }
  if (blurWanted_ && !blurActive_) ModifyExStyle(0, kLayeredStyles);
}

bool CWindow::SetBlurBehind(bool enable) {
  BlurBehindFunction blurBehind = BlurBehind(compositionLibrary_);
  if (blurBehind == nullptr || !IsAlive()) return false;
  DWM_BLURBEHIND record{};
  record.dwFlags = kBlurFlags;
  record.fEnable = enable;
  record.fTransitionOnMaximized = TRUE;
  GdiObject<HRGN> region;
  if (enable) {
    RECT content{};
    GetContentRect(&content);
    region.Reset(CreateRectRgnIndirect(&content));
    record.hRgnBlur = region.Get();
  }
  return blurBehind(window_, &record) == S_OK;
}

void CWindow::UnloadComposition() {
  if (compositionLibrary_ == nullptr) return;
  FreeLibrary(compositionLibrary_);
  compositionLibrary_ = nullptr;
}
