#include "ui/state_fade.h"

#include <algorithm>

namespace {

constexpr uint32_t kFullProgress = 255;

}  // namespace

void BeginFade(StateFade& fade, int32_t currentState, uint32_t now) {
  if (fade.progress != 0) fade.progress = static_cast<uint16_t>(kFullProgress - fade.progress);
  fade.previousState = currentState;
  fade.start = now;
}

bool AdvanceFade(StateFade& fade, int32_t currentState, uint32_t now) {
  uint32_t elapsed = std::min(now - fade.start, kFadeMilliseconds);
  fade.progress = static_cast<uint16_t>(elapsed * kFullProgress / kFadeMilliseconds);
  if (fade.progress < kFullProgress) return false;
  fade.previousState = currentState;
  fade.progress = 0;
  return true;
}

FadeAlphas CrossFadeAlphas(uint16_t progress, uint8_t alpha) {
  uint32_t p = std::min<uint32_t>(progress, kFullProgress);
  return FadeAlphas{static_cast<uint8_t>((kFullProgress - p) * alpha / kFullProgress),
                    static_cast<uint8_t>(p * alpha / kFullProgress)};
}

ElementRect StateFrameBand(int32_t imageWidth, int32_t imageHeight, int32_t frameCount,
                           int32_t state) {
  int32_t frameHeight = imageHeight / frameCount;
  int32_t frame = std::clamp(state, 0, frameCount - 1);
  return ElementRect{0, frame * frameHeight, imageWidth, (frame + 1) * frameHeight};
}
