#pragma once

#include "draw/pixel_operations.h"

// One piece of a nine-part drawing: a source rectangle drawn into a destination rectangle.
struct GridPiece {
  PixelRect target;
  PixelRect source;
  bool centre;
};

// The pieces of drawing source into target as a nine-part grid with margins left, top, right
// and bottom (negative margins count as 0): corners at their own size, edges stretched along
// their length, the centre both ways. Order: top-left, left, bottom-left, top, centre, bottom,
// top-right, right, bottom-right. Pieces with no width or height on either side (margins wider
// than the rectangle) are left out, so nothing is ever drawn mirrored; an empty or inverted
// target or source gives none. Returns the count.
int NineGridPieces(const PixelRect& target, const PixelRect& source, int left, int top, int right,
                   int bottom, GridPiece (&pieces)[9]);
