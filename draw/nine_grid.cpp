#include "draw/nine_grid.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace {

// The three spans of one axis (first margin, middle, last margin) as start and end coordinates,
// wide enough that no rectangle or margin overflows them.
struct Spans {
  int64_t start[3];
  int64_t end[3];
};

Spans SplitAxis(int from, int to, int first, int last) {
  return {{from, int64_t{from} + first, int64_t{to} - last},
          {int64_t{from} + first, int64_t{to} - last, to}};
}

// The rectangle of one cell, or false when it has no area or leaves the range of int.
bool Cell(const Spans& columns, const Spans& rows, int column, int row, PixelRect& rect) {
  const int64_t left = columns.start[column], right = columns.end[column];
  const int64_t top = rows.start[row], bottom = rows.end[row];
  if (right <= left || bottom <= top) return false;
  if (left < INT_MIN || top < INT_MIN || right > INT_MAX || bottom > INT_MAX) return false;
  rect = {static_cast<int>(left), static_cast<int>(top), static_cast<int>(right),
          static_cast<int>(bottom)};
  return true;
}

bool Empty(const PixelRect& rect) { return rect.right <= rect.left || rect.bottom <= rect.top; }

}  // namespace

int NineGridPieces(const PixelRect& target, const PixelRect& source, int left, int top, int right,
                   int bottom, GridPiece (&pieces)[9]) {
  if (Empty(target) || Empty(source)) return 0;
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::max(right, 0);
  bottom = std::max(bottom, 0);
  const Spans targetColumns = SplitAxis(target.left, target.right, left, right);
  const Spans targetRows = SplitAxis(target.top, target.bottom, top, bottom);
  const Spans sourceColumns = SplitAxis(source.left, source.right, left, right);
  const Spans sourceRows = SplitAxis(source.top, source.bottom, top, bottom);
  int count = 0;
  for (int column = 0; column < 3; ++column) {
    for (int row = 0; row < 3; ++row) {
      GridPiece& piece = pieces[count];
      if (Cell(targetColumns, targetRows, column, row, piece.target) &&
          Cell(sourceColumns, sourceRows, column, row, piece.source)) {
        piece.centre = column == 1 && row == 1;
        ++count;
      }
    }
  }
  return count;
}
