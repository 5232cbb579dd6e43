#include "draw/render.h"

void CRenderGDI::Release() { delete this; }
void CRenderGDI::SetTarget(IImage* image) { target_ = image; }
IImage* CRenderGDI::GetTarget() const { return target_; }
bool CRenderGDI::PushClip(const RECT&, int) { return false; }
void CRenderGDI::PopClip() {}
void CRenderGDI::ResetClip() {}
uint32_t CRenderGDI::SetTextColor(uint32_t color) {
  uint32_t previous = textColor_;
  textColor_ = color;
  return previous;
}
uint32_t CRenderGDI::GetTextColor() const { return textColor_; }
HDC CRenderGDI::GetDC() const { return dc_.Get(); }
void CRenderGDI::Clear() {}
void CRenderGDI::MakeGray() {}
void CRenderGDI::TintImage(uint32_t, int) {}
bool CRenderGDI::Present(HDC) { return false; }
bool CRenderGDI::Resize(int, int) { return false; }
int CRenderGDI::DrawText(const RECT&, const char16_t*, int, HFONT, UINT) { return 0; }
bool CRenderGDI::DrawImage9(const RECT&, HBITMAP, int, int, int, int, int, int, int, int, bool,
                            uint8_t, bool) {
  return false;
}
bool CRenderGDI::DrawBitmap(const RECT&, HBITMAP, int, int, int, int, bool, uint8_t) {
  return false;
}
bool CRenderGDI::DrawWholeBitmap(const RECT&, HBITMAP, bool, uint8_t) { return false; }
bool CRenderGDI::DrawFromDC(const RECT&, HDC, int, int, int, int, bool, uint8_t) { return false; }
bool CRenderGDI::CopyFromDC(const RECT&, HDC, bool, uint8_t) { return false; }
void CRenderGDI::FillRect(const RECT&, uint32_t) {}
void CRenderGDI::CopyPixels(const uint32_t*, int, int, bool) {}
int CRenderGDI::MeasureText(RECT&, const char16_t*, int, HFONT, UINT) { return 0; }
bool CRenderGDI::EnsureDC() { return false; }
void CRenderGDI::SelectTargetBitmap() {}
CRenderGDI::~CRenderGDI() = default;
