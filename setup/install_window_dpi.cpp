// The install window at the DPI of its monitor: the layout rules and the skin are in 96-DPI
// units, and every size is scaled to the window's DPI; images come from a skin's larger twins
// (name@2x.png) from 175 % on, and are otherwise resampled.
#include <algorithm>
#include <new>

#include "draw/dpi_image.h"
#include "draw/image_scaling.h"
#include "setup/install_window.h"
#include "ui/controls/check_ui.h"
#include "ui/controls/edit_ui.h"
#include "ui/controls/focus_ring_ui.h"
#include "ui/controls/image_ui.h"
#include "ui/controls/progress_ui.h"
#include "ui/controls/text_ui.h"
#include "ui/layout_scaling.h"
#include "ui/text_fitting.h"
#include "ui/window_globals.h"

namespace {

constexpr char16_t kFinishImage[] = u"btn_finish.png";

CFont* FontOf(ILayer* element) {
  if (auto* text = dynamic_cast<CTextUI*>(element)) return &text->font;
  if (auto* edit = dynamic_cast<CEditUI*>(element)) return &edit->font;
  return nullptr;
}

// The pixels of an image the window made or decoded, as the decoders give them.
bool CopyPixels(const IImage& image, DecodedImage& copy) {
  if (image.GetBits() == nullptr || image.GetBitCount() != 32) return false;
  const size_t bytes = static_cast<size_t>(image.GetWidth()) * image.GetHeight() * 4;
  copy.pixels.reset(new (std::nothrow) uint8_t[bytes]);
  if (!copy.pixels) return false;
  std::copy(image.GetBits(), image.GetBits() + bytes, copy.pixels.get());
  copy.width = image.GetWidth();
  copy.height = image.GetHeight();
  return true;
}

}  // namespace

void CInstallWnd::ApplyDpi() {
  ScaleBorder();
  for (int role = 0; role < kElementRoleCount; ++role) ApplyLook(static_cast<ElementRole>(role));
  if (auto* ring = dynamic_cast<CFocusRingUI*>(FindElement(ringKey_))) ring->SetDpi(dpi_);
}

void CInstallWnd::ApplyLook(ElementRole role) {
  ILayer* element = Element(role);
  if (element == nullptr) return;
  const ElementRow& row = kInstallElements[static_cast<int>(role)];
  LoadedSizes sizes;
  if (auto* image = dynamic_cast<CImageUI*>(element)) {
    const bool finish = role == ElementRole::kStartButton && finishButton_;
    const SkinSize size = LoadShownImage(image->image, finish ? kFinishImage : row.image,
                                         row.frames);
    skinSizes_[static_cast<int>(role)] = size;
    sizes.imageWidth = size.width;
    sizes.imageHeight = size.height;
    image->insets = ScaleInsets(row.insets, dpi_);
  }
  if (auto* check = dynamic_cast<CCheckUI*>(element)) {
    LoadShownImage(check->checkedImage, row.second, row.frames);
  }
  if (auto* bar = dynamic_cast<CProgressUI*>(element)) {
    LoadShownImage(bar->fillImage, row.second, 1);
    LoadShownImage(bar->thumbImage, row.thumb, 1);
  }
  CFont* font = FontOf(element);
  if (font != nullptr && row.fontHeight > 0) {
    font->Create(ScaleToDpi(row.fontHeight, dpi_), row.bold, false, false, 0, row.face);
    sizes.fontHeight = row.fontHeight;
    if (auto* text = dynamic_cast<CTextUI*>(element)) {
      text->minimumFontHeight = ShrunkFontFloor(row.fontHeight, dpi_);
    }
  }
  // The agreement row sits above the browse button and its link after the agreement text.
  sizes.browseHeight = skinSizes_[static_cast<int>(ElementRole::kBrowseButton)].height;
  sizes.agreeWidth = skinSizes_[static_cast<int>(ElementRole::kAgreeText)].width;
  element->SetLayout(ScaleLayout(ResolveLayout(row, sizes), dpi_));
  RECT content = {};
  GetContentRect(&content);
  element->Relayout(content);
  element->SetDirty(true);
}

CInstallWnd::SkinSize CInstallWnd::LoadShownImage(CImage& image, const char16_t* name,
                                                  int32_t frames) {
  image.Free();
  DecodedImage single;
  std::u16string shownName;
  if (name == nullptr || !ReadLanguageSkinImage(name, single, shownName)) return {};
  // The larger twin of the image shown: "btn_start.en@2x.png" of "btn_start.en.png".
  DecodedImage twin;
  const bool twinRead =
      WantsDoubleSizeImages(dpi_) && ReadSkinImage(DoubleSizeName(shownName), twin);
  DecodedImage shown;
  if (!ImageForDpi(single, twinRead ? &twin : nullptr, frames, dpi_, shown) ||
      !image.Create(shown.width, shown.height, 32, shown.pixels.get())) {
    return {};
  }
  return SkinSize{single.width, single.height};
}

void CInstallWnd::ScaleBorder() {
  IImage* standard = g_defaultImage.get();
  DecodedImage pixels;
  DecodedImage scaled;
  if (dpi_ == kDefaultDpi || standard == nullptr || !CopyPixels(*standard, pixels) ||
      !ScaleImage(pixels, ScaleToDpi(pixels.width, dpi_), ScaleToDpi(pixels.height, dpi_),
                  scaled) ||
      !border_.Create(scaled.width, scaled.height, 32, scaled.pixels.get())) {
    border_.Free();
    SetBorder(standard, g_defaultImageEdge, g_defaultImageFlag);
    return;
  }
  SetBorder(&border_, ScaleToDpi(g_defaultImageEdge, dpi_), g_defaultImageFlag);
}

void CInstallWnd::OnDpiChanged(int dpi, const RECT& proposed) {
  if (dpi > 0 && dpi != dpi_) {
    dpi_ = dpi;
    ApplyDpi();
  }
  SetWindowPos(GetHwnd(), nullptr, proposed.left, proposed.top, proposed.right - proposed.left,
               proposed.bottom - proposed.top, SWP_NOZORDER | SWP_NOACTIVATE);
  // Also when the size stayed, which brings no WM_SIZE.
  RelayoutAll();
}
