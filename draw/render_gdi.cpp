#include "draw/render.h"

#include "draw/nine_grid.h"
#include "draw/pixel_operations.h"
#include "support/core/wide_text.h"

namespace {

// The target's pixels, when it is a 32-bit image that has them. GDI may still be drawing into
// them, so pending drawing is flushed first.
bool TargetPixels(const IImage* target, PixelSurface& surface) {
  if (target == nullptr || target->GetBits() == nullptr || target->GetBitCount() != 32) {
    return false;
  }
  GdiFlush();
  surface = {reinterpret_cast<uint32_t*>(target->GetBits()), target->GetWidth(),
             target->GetHeight()};
  return true;
}

bool HasPixels(const IImage* target) { return target != nullptr && target->GetBits() != nullptr; }

PixelRect ToPixelRect(const RECT& rect) {
  return {static_cast<int>(rect.left), static_cast<int>(rect.top), static_cast<int>(rect.right),
          static_cast<int>(rect.bottom)};
}

// Whether text holds anything to draw: not null, and not empty for either kind of length.
bool HasText(const char16_t* text, int length) {
  return text != nullptr && (length > 0 || (length == -1 && text[0] != 0));
}

// Copies, stretches or alpha-blends a source rectangle of from into a target rectangle of to.
// Empty or inverted rectangles draw nothing rather than a mirrored image. GDI's stretching
// (StretchBlt, HALFTONE) writes alpha 0, which would leave a stretched opaque piece invisible in
// a layered window; a plain stretch is therefore an AlphaBlend at full opacity that ignores the
// source's alpha, and so copies all four channels.
bool Blit(HDC to, const PixelRect& target, HDC from, const PixelRect& source, bool blend,
          uint8_t alpha) {
  const int width = target.right - target.left;
  const int height = target.bottom - target.top;
  const int sourceWidth = source.right - source.left;
  const int sourceHeight = source.bottom - source.top;
  if (width <= 0 || height <= 0 || sourceWidth <= 0 || sourceHeight <= 0) return false;
  if (!blend && width == sourceWidth && height == sourceHeight) {
    return BitBlt(to, target.left, target.top, width, height, from, source.left, source.top,
                  SRCCOPY) != FALSE;
  }
  const BLENDFUNCTION function = blend ? BLENDFUNCTION{AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA}
                                       : BLENDFUNCTION{AC_SRC_OVER, 0, 255, 0};
  return AlphaBlend(to, target.left, target.top, width, height, from, source.left, source.top,
                    sourceWidth, sourceHeight, function) != FALSE;
}

PixelRect SourceRect(int x, int y, int width, int height) {
  return {x, y, x + width, y + height};
}

}  // namespace

void CRenderGDI::Release() { delete this; }

void CRenderGDI::SetTarget(IImage* image) {
  if (target_ != nullptr && dc_.Get() != nullptr && previousBitmap_ != nullptr) {
    SelectObject(dc_.Get(), previousBitmap_);
  }
  previousBitmap_ = nullptr;
  target_ = image;
  if (image == nullptr || !EnsureDC()) return;
  SelectTargetBitmap();
}

IImage* CRenderGDI::GetTarget() const { return target_; }

bool CRenderGDI::PushClip(const RECT& rect, int mode) {
  if (dc_.Get() == nullptr) return false;
  savedRegion_.Reset(clipRegion_.Release());
  clipRegion_.Reset(CreateRectRgn(rect.left, rect.top, rect.right, rect.bottom));
  clip_ = rect;
  const int result = ExtSelectClipRgn(dc_.Get(), clipRegion_.Get(), mode);
  return result != ERROR && result != NULLREGION;
}

void CRenderGDI::PopClip() {
  if (dc_.Get() == nullptr) return;
  ExtSelectClipRgn(dc_.Get(), nullptr, RGN_COPY);
  clipRegion_.Reset(savedRegion_.Release());
  if (clipRegion_.Get() != nullptr) ExtSelectClipRgn(dc_.Get(), clipRegion_.Get(), RGN_COPY);
}

void CRenderGDI::ResetClip() {
  if (dc_.Get() == nullptr) return;
  ExtSelectClipRgn(dc_.Get(), nullptr, RGN_COPY);
  clipRegion_.Reset(nullptr);
  savedRegion_.Reset(nullptr);
  clip_ = {};
}

uint32_t CRenderGDI::SetTextColor(uint32_t color) {
  const uint32_t previous = textColor_;
  textColor_ = color;
  if (dc_.Get() != nullptr) ::SetTextColor(dc_.Get(), color & 0x00FFFFFF);
  return previous;
}

uint32_t CRenderGDI::GetTextColor() const { return textColor_; }

HDC CRenderGDI::GetDC() const { return dc_.Get(); }

void CRenderGDI::Clear() {
  if (HasPixels(target_)) target_->Clear();
}

void CRenderGDI::MakeGray() {
  PixelSurface surface;
  if (TargetPixels(target_, surface)) GrayPixels(surface);
}

void CRenderGDI::TintImage(uint32_t color, int inset) {
  PixelSurface surface;
  if (TargetPixels(target_, surface)) TintPixels(surface, color, inset);
}

bool CRenderGDI::Present(HDC dc) {
  if (target_ == nullptr || dc == nullptr || dc_.Get() == nullptr) return false;
  return BitBlt(dc, 0, 0, target_->GetWidth(), target_->GetHeight(), dc_.Get(), 0, 0,
                SRCCOPY) != FALSE;
}

bool CRenderGDI::Resize(int width, int height) {
  if (target_ == nullptr) return false;
  if (target_->GetWidth() == width && target_->GetHeight() == height) return true;
  // GDI does not delete a bitmap that a DC holds, so the old one is let go before it is freed.
  if (dc_.Get() != nullptr && previousBitmap_ != nullptr) SelectObject(dc_.Get(), previousBitmap_);
  previousBitmap_ = nullptr;
  if (!target_->Create(width, height, 32, nullptr)) return false;
  if (!EnsureDC()) return false;
  SelectTargetBitmap();
  return previousBitmap_ != nullptr;
}

int CRenderGDI::DrawText(const RECT& rect, const char16_t* text, int length, HFONT font,
                         UINT format) {
  PixelSurface surface;
  if (!HasText(text, length) || dc_.Get() == nullptr || !TargetPixels(target_, surface)) return 0;
  RECT area = rect;
  int height = 0;
  {
    Selection selectedFont(dc_.Get(), font);
    const int previousMode = SetBkMode(dc_.Get(), TRANSPARENT);
    height = ::DrawTextW(dc_.Get(), AsWide(text), length, &area, format);
    SetBkMode(dc_.Get(), previousMode);
  }
  GdiFlush();
  RepairTextAlpha(surface, ToPixelRect(rect));
  return height;
}

bool CRenderGDI::DrawImage9(const RECT& rect, HBITMAP bitmap, int srcX, int srcY, int srcWidth,
                            int srcHeight, int left, int top, int right, int bottom, bool blend,
                            uint8_t alpha, bool fillCenter) {
  if (left == 0 && top == 0 && right == 0 && bottom == 0) {
    return DrawBitmap(rect, bitmap, srcX, srcY, srcWidth, srcHeight, blend, alpha);
  }
  if (bitmap == nullptr || dc_.Get() == nullptr || !HasPixels(target_)) return false;
  MemoryDC source(CreateCompatibleDC(nullptr));
  if (source.Get() == nullptr) return false;
  Selection selected(source.Get(), bitmap);
  if (!selected.Selected()) return false;
  GridPiece pieces[9];
  const int count = NineGridPieces(ToPixelRect(rect), SourceRect(srcX, srcY, srcWidth, srcHeight),
                                   left, top, right, bottom, pieces);
  bool drawn = count > 0;
  for (int i = 0; i < count; ++i) {
    if (pieces[i].centre && blend && !fillCenter) continue;
    drawn = Blit(dc_.Get(), pieces[i].target, source.Get(), pieces[i].source, blend, alpha) &&
            drawn;
  }
  return drawn;
}

bool CRenderGDI::DrawBitmap(const RECT& rect, HBITMAP bitmap, int srcX, int srcY, int srcWidth,
                            int srcHeight, bool blend, uint8_t alpha) {
  if (bitmap == nullptr || dc_.Get() == nullptr || !HasPixels(target_)) return false;
  MemoryDC source(CreateCompatibleDC(nullptr));
  if (source.Get() == nullptr) return false;
  Selection selected(source.Get(), bitmap);
  return selected.Selected() && Blit(dc_.Get(), ToPixelRect(rect), source.Get(),
                                     SourceRect(srcX, srcY, srcWidth, srcHeight), blend, alpha);
}

bool CRenderGDI::DrawWholeBitmap(const RECT& rect, HBITMAP bitmap, bool blend, uint8_t alpha) {
  BITMAP size = {};
  if (bitmap == nullptr || GetObjectW(bitmap, sizeof(size), &size) == 0) return false;
  return DrawBitmap(rect, bitmap, 0, 0, size.bmWidth, size.bmHeight, blend, alpha);
}

bool CRenderGDI::DrawFromDC(const RECT& rect, HDC dc, int srcX, int srcY, int srcWidth,
                            int srcHeight, bool blend, uint8_t alpha) {
  if (dc == nullptr || dc_.Get() == nullptr || !HasPixels(target_)) return false;
  return Blit(dc_.Get(), ToPixelRect(rect), dc, SourceRect(srcX, srcY, srcWidth, srcHeight),
              blend, alpha);
}

bool CRenderGDI::CopyFromDC(const RECT& rect, HDC dc, bool blend, uint8_t alpha) {
  return DrawFromDC(rect, dc, 0, 0, rect.right - rect.left, rect.bottom - rect.top, blend, alpha);
}

void CRenderGDI::FillRect(const RECT& rect, uint32_t color) {
  PixelSurface surface;
  if (TargetPixels(target_, surface)) BlendColor(surface, ToPixelRect(rect), color);
}

void CRenderGDI::CopyPixels(const uint32_t* pixels, int width, int height, bool blend) {
  PixelSurface surface;
  if (TargetPixels(target_, surface)) CopyPixelBlock(surface, pixels, width, height, blend);
}

int CRenderGDI::MeasureText(RECT& rect, const char16_t* text, int length, HFONT font,
                            UINT format) {
  if (!HasText(text, length) || !EnsureDC()) return 0;
  Selection selectedFont(dc_.Get(), font);
  ::DrawTextW(dc_.Get(), AsWide(text), length, &rect, format | DT_CALCRECT);
  return rect.bottom - rect.top;
}

bool CRenderGDI::EnsureDC() {
  if (dc_.Get() == nullptr) {
    dc_.Reset(CreateCompatibleDC(nullptr));
    if (dc_.Get() == nullptr) return false;
    ::SetTextColor(dc_.Get(), textColor_ & 0x00FFFFFF);
  }
  return true;
}

void CRenderGDI::SelectTargetBitmap() {
  if (target_->GetBitmap() != nullptr) {
    previousBitmap_ = SelectObject(dc_.Get(), target_->GetBitmap());
  }
}

CRenderGDI::~CRenderGDI() {
  if (dc_.Get() != nullptr && previousBitmap_ != nullptr) SelectObject(dc_.Get(), previousBitmap_);
}
