#pragma once

#include <cstdint>

#include "ui/element_geometry.h"

// Elements show their state (0 normal, 1 hover, 2 pressed) as one frame of a state image whose
// frames are stacked vertically, and cross-fade from the frame of the previous state to the new
// one over kFadeMilliseconds.
constexpr uint32_t kFadeMilliseconds = 200;

// A running cross-fade. progress runs 0..254 while a fade runs; a fade is over when the previous
// state is the current one again.
struct StateFade {
  uint32_t start = 0;  // tick count in milliseconds when the fade began
  uint16_t progress = 0;
  int32_t previousState = 0;
};

// Begins a fade away from currentState at now. A fade cut short starts from what it had left to
// go, so the picture does not jump.
void BeginFade(StateFade& fade, int32_t currentState, uint32_t now);

// Moves a running fade on to now. Returns true when it has ended: the previous state becomes the
// current one and the progress 0. Elapsed times of kFadeMilliseconds or more end it, also when
// the element was not drawn for a long time.
bool AdvanceFade(StateFade& fade, int32_t currentState, uint32_t now);

// The constant opacities of the two frames of a cross-fade at progress, for an element of alpha.
struct FadeAlphas {
  uint8_t previous;
  uint8_t current;
};
FadeAlphas CrossFadeAlphas(uint16_t progress, uint8_t alpha);

// The source rectangle of state's frame in a state image of frameCount frames stacked vertically;
// frameCount must be at least 1. A state outside 0..frameCount-1 shows the nearest frame, so the
// band never leaves the image.
ElementRect StateFrameBand(int32_t imageWidth, int32_t imageHeight, int32_t frameCount,
                           int32_t state);
