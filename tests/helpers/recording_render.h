#pragma once

#include <string>
#include <vector>

#include "draw/render.h"

// A render device that draws through another and keeps every text it was asked to draw, with
// the rectangle, font and format, so that a test can measure what an element drew.
class RecordingRender : public IRender {
 public:
  struct DrawnText {
    RECT rect;
    std::u16string text;
    HFONT font;
    UINT format;
  };

  explicit RecordingRender(IRender& target) : target_(target) {}

  const std::vector<DrawnText>& Drawn() const { return drawn_; }

  int DrawText(const RECT& rect, const char16_t* text, int length, HFONT font,
               UINT format) override {
    drawn_.push_back({rect, length < 0 ? std::u16string(text) : std::u16string(text, length),
                      font, format});
    return target_.DrawText(rect, text, length, font, format);
  }

  void Release() override {}
  void SetTarget(IImage* image) override { target_.SetTarget(image); }
  IImage* GetTarget() const override { return target_.GetTarget(); }
  bool PushClip(const RECT& rect, int mode) override { return target_.PushClip(rect, mode); }
  void PopClip() override { target_.PopClip(); }
  void ResetClip() override { target_.ResetClip(); }
  uint32_t SetTextColor(uint32_t color) override { return target_.SetTextColor(color); }
  uint32_t GetTextColor() const override { return target_.GetTextColor(); }
  HDC GetDC() const override { return target_.GetDC(); }
  void Clear() override { target_.Clear(); }
  void MakeGray() override { target_.MakeGray(); }
  void TintImage(uint32_t color, int inset) override { target_.TintImage(color, inset); }
  bool Present(HDC dc) override { return target_.Present(dc); }
  bool Resize(int width, int height) override { return target_.Resize(width, height); }
  bool DrawImage9(const RECT& rect, HBITMAP bitmap, int srcX, int srcY, int srcWidth,
                  int srcHeight, int left, int top, int right, int bottom, bool blend,
                  uint8_t alpha, bool fillCenter) override {
    return target_.DrawImage9(rect, bitmap, srcX, srcY, srcWidth, srcHeight, left, top, right,
                              bottom, blend, alpha, fillCenter);
  }
  bool DrawBitmap(const RECT& rect, HBITMAP bitmap, int srcX, int srcY, int srcWidth,
                  int srcHeight, bool blend, uint8_t alpha) override {
    return target_.DrawBitmap(rect, bitmap, srcX, srcY, srcWidth, srcHeight, blend, alpha);
  }
  bool DrawWholeBitmap(const RECT& rect, HBITMAP bitmap, bool blend, uint8_t alpha) override {
    return target_.DrawWholeBitmap(rect, bitmap, blend, alpha);
  }
  bool DrawFromDC(const RECT& rect, HDC dc, int srcX, int srcY, int srcWidth, int srcHeight,
                  bool blend, uint8_t alpha) override {
    return target_.DrawFromDC(rect, dc, srcX, srcY, srcWidth, srcHeight, blend, alpha);
  }
  bool CopyFromDC(const RECT& rect, HDC dc, bool blend, uint8_t alpha) override {
    return target_.CopyFromDC(rect, dc, blend, alpha);
  }
  void FillRect(const RECT& rect, uint32_t color) override { target_.FillRect(rect, color); }
  void CopyPixels(const uint32_t* pixels, int width, int height, bool blend) override {
    target_.CopyPixels(pixels, width, height, blend);
  }
  int MeasureText(RECT& rect, const char16_t* text, int length, HFONT font,
                  UINT format) override {
    return target_.MeasureText(rect, text, length, font, format);
  }

 private:
  IRender& target_;
  std::vector<DrawnText> drawn_;
};
