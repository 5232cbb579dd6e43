#pragma once

#include "ui/element_geometry.h"

// Layout records and insets at a monitor's DPI: the layout rules are written in 96-DPI units.

// The record with every position, size and margin scaled to dpi (ScaleToDpi). What is not a
// length stays: -1 (not given) for left, top, width and height, the two anchors (they only say
// whether an edge is anchored), and a width or height of 0 (stretched). Margins keep their sign,
// since a negative one means something of its own. Values are cut to 16 bits' range.
LayoutRecord ScaleLayout(const LayoutRecord& layout, int dpi);

// Nine-grid insets scaled to dpi.
Insets ScaleInsets(const Insets& insets, int dpi);
