#pragma once

#include <cstdint>

#include "ui/element_geometry.h"

// Where the parts of a progress bar go: the fill image is stretched over the bar's whole width at
// its own height, centred vertically, and revealed from the left edge up to the position; the
// thumb sits at its own size centred on the revealed part's right edge and on the bar's middle.
struct ProgressGeometry {
  ElementRect fill;
  ElementRect revealed;
  ElementRect thumb;
};

// A range below 1 counts as 1, and the position is held within 0..range, so the revealed part
// never leaves the bar.
ProgressGeometry LayOutProgress(const ElementRect& bar, int64_t position, int64_t range,
                                int32_t fillHeight, int32_t thumbWidth, int32_t thumbHeight);
