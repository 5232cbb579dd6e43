#pragma once

#include <windows.h>

#include <cstdint>

#include "draw/gdi_handles.h"
#include "draw/image.h"

// windows.h maps DrawText to DrawTextW; the device's own DrawText is a different operation.
#undef DrawText

// The surface every element paints on: GDI drawing into a memory DC that holds the target image's
// bitmap, and direct work on the target's pixels for fills, tints, grey and the alpha repair after
// text. The operations keep a fixed order.
//
// Colours for fills and tints are 0xAARRGGBB, the top byte the opacity; text colours use the low
// 24 bits as a COLORREF (0x00BBGGRR). Rectangles are in target pixels, right and bottom exclusive.
// Every drawing operation except MeasureText does nothing (false, 0) without a target, without
// target pixels (Present needs only the target), or with a null bitmap or DC. Text is UTF-16;
// length -1 means zero-terminated; null or empty text draws nothing and returns 0.
class IRender {
 public:
  // Destroys the device and frees it.
  virtual void Release() = 0;
  // Attaches image (not owned; null detaches), selecting its bitmap into the memory DC.
  virtual void SetTarget(IImage* image) = 0;
  virtual IImage* GetTarget() const = 0;
  // Makes rect the clip, combined with the current clip by mode (RGN_AND, RGN_COPY, ...); keeps
  // the clip it replaces for PopClip, one level deep. False when the resulting clip is empty.
  virtual bool PushClip(const RECT& rect, int mode) = 0;
  virtual void PopClip() = 0;
  virtual void ResetClip() = 0;
  // Stores color and applies its low 24 bits to the DC; returns the previously stored value.
  virtual uint32_t SetTextColor(uint32_t color) = 0;
  virtual uint32_t GetTextColor() const = 0;
  virtual HDC GetDC() const = 0;
  // Zeroes every byte of the target's pixels.
  virtual void Clear() = 0;
  // Each pixel's red, green and blue become their average; alpha stays.
  virtual void MakeGray() = 0;
  // Blends color over the whole target (inset 0) or over the target less a border of inset
  // pixels; nothing when twice the inset reaches the width.
  virtual void TintImage(uint32_t color, int inset) = 0;
  // Copies the whole target to dc at (0, 0).
  virtual bool Present(HDC dc) = 0;
  // Remakes the target as a cleared 32-bit image of width x height; nothing when it already has
  // that size.
  virtual bool Resize(int width, int height) = 0;
  // Draws text with DrawTextW (font null: the DC's current one) on a transparent background, then
  // makes opaque every pixel of rect (within the target) that has alpha 0, since GDI writes none.
  // Returns the height DrawTextW returns.
  virtual int DrawText(const RECT& rect, const char16_t* text, int length, HFONT font,
                       UINT format) = 0;
  // Draws the source rectangle of bitmap into rect as a nine-part grid with the given margins:
  // corners unscaled, edges and centre stretched. All margins 0 draws like DrawBitmap. The centre
  // is left out only when blending without fillCenter.
  virtual bool DrawImage9(const RECT& rect, HBITMAP bitmap, int srcX, int srcY, int srcWidth,
                          int srcHeight, int left, int top, int right, int bottom, bool blend,
                          uint8_t alpha, bool fillCenter) = 0;
  // Copies (stretching when the sizes differ) or, with blend, alpha-blends with the constant
  // opacity alpha a source rectangle of bitmap into rect. Blending expects premultiplied pixels.
  virtual bool DrawBitmap(const RECT& rect, HBITMAP bitmap, int srcX, int srcY, int srcWidth,
                          int srcHeight, bool blend, uint8_t alpha) = 0;
  virtual bool DrawWholeBitmap(const RECT& rect, HBITMAP bitmap, bool blend, uint8_t alpha) = 0;
  virtual bool DrawFromDC(const RECT& rect, HDC dc, int srcX, int srcY, int srcWidth,
                          int srcHeight, bool blend, uint8_t alpha) = 0;
  // DrawFromDC from (0, 0) with the size of rect.
  virtual bool CopyFromDC(const RECT& rect, HDC dc, bool blend, uint8_t alpha) = 0;
  // Blends color into the target pixels inside rect; the alpha bytes stay.
  virtual void FillRect(const RECT& rect, uint32_t color) = 0;
  // Writes a width x height block of pixels into the target from its first pixel on, both walked
  // with the block's width as the row length; the size is cut to the target's. With blend each
  // pixel is mixed by its own alpha (0 keeps the target, 255 replaces it).
  virtual void CopyPixels(const uint32_t* pixels, int width, int height, bool blend) = 0;
  // DrawTextW with DT_CALCRECT: rect receives the size the text needs; returns its height.
  // Draws nothing.
  virtual int MeasureText(RECT& rect, const char16_t* text, int length, HFONT font,
                          UINT format) = 0;
  virtual ~IRender() = default;
};

// The GDI render device. It borrows its target and owns its memory DC and clip regions.
class CRenderGDI : public IRender {
 public:
  CRenderGDI() = default;
  CRenderGDI(const CRenderGDI&) = delete;
  CRenderGDI& operator=(const CRenderGDI&) = delete;

  void Release() override;
  void SetTarget(IImage* image) override;
  IImage* GetTarget() const override;
  bool PushClip(const RECT& rect, int mode) override;
  void PopClip() override;
  void ResetClip() override;
  uint32_t SetTextColor(uint32_t color) override;
  uint32_t GetTextColor() const override;
  HDC GetDC() const override;
  void Clear() override;
  void MakeGray() override;
  void TintImage(uint32_t color, int inset) override;
  bool Present(HDC dc) override;
  bool Resize(int width, int height) override;
  int DrawText(const RECT& rect, const char16_t* text, int length, HFONT font,
               UINT format) override;
  bool DrawImage9(const RECT& rect, HBITMAP bitmap, int srcX, int srcY, int srcWidth,
                  int srcHeight, int left, int top, int right, int bottom, bool blend,
                  uint8_t alpha, bool fillCenter) override;
  bool DrawBitmap(const RECT& rect, HBITMAP bitmap, int srcX, int srcY, int srcWidth,
                  int srcHeight, bool blend, uint8_t alpha) override;
  bool DrawWholeBitmap(const RECT& rect, HBITMAP bitmap, bool blend, uint8_t alpha) override;
  bool DrawFromDC(const RECT& rect, HDC dc, int srcX, int srcY, int srcWidth, int srcHeight,
                  bool blend, uint8_t alpha) override;
  bool CopyFromDC(const RECT& rect, HDC dc, bool blend, uint8_t alpha) override;
  void FillRect(const RECT& rect, uint32_t color) override;
  void CopyPixels(const uint32_t* pixels, int width, int height, bool blend) override;
  int MeasureText(RECT& rect, const char16_t* text, int length, HFONT font,
                  UINT format) override;
  ~CRenderGDI() override;

 private:
  bool EnsureDC();
  void SelectTargetBitmap();

  MemoryDC dc_;
  RECT clip_ = {};                 // the rectangle of the last PushClip
  GdiObject<HRGN> clipRegion_;     // the clip now applied
  GdiObject<HRGN> savedRegion_;    // what PopClip restores
  HGDIOBJ previousBitmap_ = nullptr;  // what selecting the target's bitmap replaced
  IImage* target_ = nullptr;
  uint32_t textColor_ = 0;
};
