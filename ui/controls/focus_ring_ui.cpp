#include "ui/controls/focus_ring_ui.h"

#include "draw/render.h"
#include "ui/focus_ring_geometry.h"
#include "ui/window.h"

namespace {

constexpr uint32_t kOpaque = 0xFF000000;

void FillBand(IRender* render, const RingBand& band, uint32_t color) {
  for (const ElementRect& strip : band.strips) {
    if (!IsEmptyRect(strip)) {
      render->FillRect(RECT{strip.left, strip.top, strip.right, strip.bottom}, color);
    }
  }
}

}  // namespace

void CFocusRingUI::SetTarget(int32_t key) {
  target_ = key;
  SetDirty(true);
}

void CFocusRingUI::SetColors(uint32_t outer, uint32_t inner) {
  outer_ = outer | kOpaque;
  inner_ = inner | kOpaque;
  SetDirty(true);
}

void CFocusRingUI::SetDpi(int dpi) {
  dpi_ = dpi;
  SetDirty(true);
}

bool CFocusRingUI::HitTest(int32_t, int32_t) { return false; }

void CFocusRingUI::Draw(IRender* render) {
  SetDirty(false);
  IWindow* owner = GetOwner();
  ILayer* target = owner != nullptr ? owner->FindElement(target_) : nullptr;
  RECT content{};
  if (render == nullptr || target == nullptr || !target->IsVisible() ||
      !owner->GetContentRect(&content)) {
    return;
  }
  // The device fills pixels directly, past any clip: the ring cuts itself to the content.
  const RECT around = target->GetRect();
  const FocusRing ring =
      FocusRingAround(ElementRect{around.left, around.top, around.right, around.bottom}, dpi_,
                      ElementRect{content.left, content.top, content.right, content.bottom});
  FillBand(render, ring.inner, inner_);
  FillBand(render, ring.outer, outer_);
}
