#include "ui/layer.h"

#include "draw/font.h"
#include "draw/image.h"
#include "draw/render.h"
#include "ui/cursor_kind.h"
#include "ui/progress_geometry.h"

namespace {

ElementRect ToElementRect(const RECT& rect) {
  return ElementRect{rect.left, rect.top, rect.right, rect.bottom};
}

RECT ToRect(const ElementRect& rect) { return RECT{rect.left, rect.top, rect.right, rect.bottom}; }

ElementRect WholeImage(IImage* image) {
  return ElementRect{0, 0, image->GetWidth(), image->GetHeight()};
}

// Draws the band of image into dest as a nine-part grid, the centre filled, with insets made to
// fit both, so that no piece reaches outside the image or the destination.
void DrawImageBand(IRender* render, IImage* image, const ElementRect& band, const RECT& dest,
                   const Insets& insets, bool blend, uint8_t alpha) {
  int32_t width = band.right - band.left;
  int32_t height = band.bottom - band.top;
  Insets fitted =
      FitInsets(insets, width, height, dest.right - dest.left, dest.bottom - dest.top);
  render->DrawImage9(dest, image->GetBitmap(), band.left, band.top, width, height, fitted.left,
                     fitted.top, fitted.right, fitted.bottom, blend, alpha, true);
}

void AssignText(std::u16string& field, const char16_t* text) {
  if (text == nullptr) {
    field.clear();
  } else {
    field.assign(text);
  }
}

}  // namespace

CLayer::CLayer(int32_t type) : type_(type) {}

CLayer::~CLayer() = default;

void CLayer::SetRect(const RECT& rect) {
  rect_ = rect;
  OnRectChanged();
}

void CLayer::SetValue(const char16_t* value) { AssignText(value_, value); }
void CLayer::SetText(const char16_t* text) { AssignText(text_, text); }
void CLayer::SetTitle(const char16_t* title) { AssignText(title_, title); }

void CLayer::Release() { delete this; }

void CLayer::Relayout(const RECT& container) {
  SetRect(ToRect(AnchorLayout(ToElementRect(container), layout_)));
}

bool CLayer::HitTest(int32_t x, int32_t y) { return RectContains(ToElementRect(rect_), x, y); }

void CLayer::Draw(IRender* render) {
  if (render == nullptr) return;
  HFONT font = font_ != nullptr ? font_->GetHandle() : nullptr;
  int textLength = static_cast<int>(text_.size());
  switch (type_) {
    case kLayerFill:
      render->FillRect(rect_, color_);
      SetDirty(false);
      break;
    case kLayerText:
      DrawElementText(render, IndentedRect(), text_.c_str(), textLength, font, textFormat_);
      SetDirty(false);
      break;
    // The image-based types leave the dirty flag to DrawStateImage, which keeps it while a fade
    // runs.
    case kLayerEdit:
      DrawStateImage(render, image_);
      DrawElementText(render, IndentedRect(), text_.c_str(), textLength, font, kEditTextFormat);
      break;
    case kLayerImage:
      DrawStateImage(render, image_);
      break;
    case kLayerButton:
      DrawStateImage(render, image_);
      DrawElementText(render, rect_, text_.c_str(), textLength, font, textFormat_);
      break;
    case kLayerCheck:
      DrawStateImage(render, checked_ ? image_ : backImage_);
      break;
    case kLayerProgress:
      DrawProgressBar(render, backImage_, image_, thumbImage_, position_, range_, insets_);
      SetDirty(false);
      break;
    default:
      break;
  }
}

bool CLayer::OnHotKeyDown(int32_t key, uint32_t flags) {
  if (key == heldHotKey_) return true;
  if (heldHotKey_ != 0) OnHotKeyUp(heldHotKey_, 0);
  heldHotKey_ = key;
  return OnKeyDown(key, flags, 0);
}

bool CLayer::OnHotKeyUp(int32_t key, uint32_t flags) {
  heldHotKey_ = 0;
  return OnKeyUp(key, flags, 0);
}

bool CLayer::OnMouse(uint32_t message, int32_t, int32_t, uint32_t) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
      FadeTo(message == WM_LBUTTONDOWN ? kStatePressed : kStateHover);
      if (cursor_ != nullptr) SetCursor(cursor_);
      break;
    case WM_MOUSEHOVER:
      FadeTo(kStateHover);
      if (cursor_ == nullptr) cursor_ = LoadStateCursor();
      if (cursor_ != nullptr) savedCursor_ = SetCursor(cursor_);
      break;
    case WM_MOUSELEAVE:
      FadeTo(kStateNormal);
      if (savedCursor_ != nullptr) SetCursor(savedCursor_);
      break;
    default:
      break;
  }
  return false;
}

void CLayer::DrawStateImage(IRender* render, IImage* image) {
  DrawStateFrames(render, image, frameCount_, insets_);
}

HCURSOR CLayer::LoadStateCursor() {
  return LoadCursorW(nullptr, MAKEINTRESOURCEW(SystemCursorId(cursorKind_)));
}

void CLayer::DrawStateFrames(IRender* render, IImage* image, int32_t frameCount,
                             const Insets& insets) {
  if (render == nullptr) return;
  // Nothing to draw is a finished drawing: an element without its image must not keep the
  // window painting.
  if (image == nullptr) {
    SetDirty(false);
    return;
  }
  if (frameCount < 1) return;
  if (frameCount == 1) {
    DrawImageBand(render, image, WholeImage(image), rect_, insets, blended_, alpha_);
    SetDirty(false);
    return;
  }
  int32_t width = image->GetWidth();
  int32_t height = image->GetHeight();
  ElementRect current = StateFrameBand(width, height, frameCount, state_);
  if (fade_.previousState == state_) {
    DrawImageBand(render, image, current, rect_, insets, blended_, alpha_);
    SetDirty(false);
    return;
  }
  FadeAlphas alphas = CrossFadeAlphas(fade_.progress, alpha_);
  ElementRect previous = StateFrameBand(width, height, frameCount, fade_.previousState);
  DrawImageBand(render, image, previous, rect_, insets, blended_, alphas.previous);
  DrawImageBand(render, image, current, rect_, insets, blended_, alphas.current);
  // A fade that ends here was drawn at its last progress: the element stays dirty for the frame
  // of the new state alone, or the screen would keep the mix.
  AdvanceFade(fade_, state_, GetTickCount());
}

void CLayer::DrawElementText(IRender* render, const RECT& rect, const char16_t* text, int length,
                             HFONT font, uint32_t format) {
  uint32_t saved = render->SetTextColor(color_);
  render->DrawText(rect, text, length, font, format);
  render->SetTextColor(saved);
}

void CLayer::DrawProgressBar(IRender* render, IImage* track, IImage* fill, IImage* thumb,
                             int64_t position, int64_t range, const Insets& insets) {
  if (track != nullptr) {
    DrawImageBand(render, track, WholeImage(track), rect_, insets, blended_, alpha_);
  }
  ProgressGeometry geometry =
      LayOutProgress(ToElementRect(rect_), position, range, fill ? fill->GetHeight() : 0,
                     thumb ? thumb->GetWidth() : 0, thumb ? thumb->GetHeight() : 0);
  if (fill != nullptr) {
    if (render->PushClip(ToRect(geometry.revealed), RGN_COPY)) {
      DrawImageBand(render, fill, WholeImage(fill), ToRect(geometry.fill), insets, blended_,
                    alpha_);
    }
    render->PopClip();
  }
  if (thumb != nullptr) {
    render->DrawBitmap(ToRect(geometry.thumb), thumb->GetBitmap(), 0, 0, thumb->GetWidth(),
                       thumb->GetHeight(), blended_, alpha_);
  }
}

void CLayer::FadeTo(int32_t state) {
  BeginFade(fade_, state_, GetTickCount());
  SetState(state);
  SetDirty(true);
}
