#include "draw/nine_grid.h"

#include <gtest/gtest.h>

#include <climits>
#include <tuple>
#include <vector>

namespace {

using Rect = std::tuple<int, int, int, int>;

Rect Of(const PixelRect& r) { return {r.left, r.top, r.right, r.bottom}; }

struct Piece {
  Rect target;
  Rect source;
};

std::vector<Piece> Pieces(PixelRect target, PixelRect source, int left, int top, int right,
                          int bottom, int* centre = nullptr) {
  GridPiece pieces[9];
  const int count = NineGridPieces(target, source, left, top, right, bottom, pieces);
  std::vector<Piece> out;
  for (int i = 0; i < count; ++i) {
    out.push_back({Of(pieces[i].target), Of(pieces[i].source)});
    if (pieces[i].centre && centre != nullptr) *centre = i;
  }
  return out;
}

TEST(NineGridTest, PiecesInDrawingOrderAtTheirExactRectangles) {
  // Target 100 x 50 at (10, 20) from a 30 x 30 source at (2, 3); margins 5, 6, 7, 8.
  int centre = -1;
  const std::vector<Piece> pieces = Pieces({10, 20, 110, 70}, {2, 3, 32, 33}, 5, 6, 7, 8, &centre);
  const std::vector<Piece> expected = {
      {{10, 20, 15, 26}, {2, 3, 7, 9}},        // top-left
      {{10, 26, 15, 62}, {2, 9, 7, 25}},       // left
      {{10, 62, 15, 70}, {2, 25, 7, 33}},      // bottom-left
      {{15, 20, 103, 26}, {7, 3, 25, 9}},      // top
      {{15, 26, 103, 62}, {7, 9, 25, 25}},     // centre
      {{15, 62, 103, 70}, {7, 25, 25, 33}},    // bottom
      {{103, 20, 110, 26}, {25, 3, 32, 9}},    // top-right
      {{103, 26, 110, 62}, {25, 9, 32, 25}},   // right
      {{103, 62, 110, 70}, {25, 25, 32, 33}},  // bottom-right
  };
  ASSERT_EQ(pieces.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(pieces[i].target, expected[i].target);
    EXPECT_EQ(pieces[i].source, expected[i].source);
  }
  EXPECT_EQ(centre, 4);
}

TEST(NineGridTest, LeavesOutPiecesThatWouldBeEmptyOrMirrored) {
  struct Case {
    const char* name;
    PixelRect target;
    PixelRect source;
    int left, top, right, bottom;
    size_t count;
  };
  const std::vector<Case> cases = {
      // Margins wider than the target: the middle column and row would have negative width.
      {"target narrower than its margins", {0, 0, 10, 10}, {0, 0, 30, 30}, 8, 8, 8, 8, 4},
      {"source narrower than its margins", {0, 0, 90, 90}, {0, 0, 10, 10}, 8, 8, 8, 8, 4},
      {"only side margins", {0, 0, 40, 20}, {0, 0, 20, 20}, 4, 0, 4, 0, 3},
      {"negative margins count as none", {0, 0, 40, 20}, {0, 0, 20, 20}, -4, 0, -4, -1, 1},
      {"inverted target", {40, 20, 0, 0}, {0, 0, 20, 20}, 4, 4, 4, 4, 0},
      {"rectangles at the ends of int", {INT_MIN, INT_MIN, INT_MAX, INT_MAX},
       {INT_MAX - 10, 0, INT_MAX, 10}, INT_MAX, 2, INT_MAX, 2, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::vector<Piece> pieces =
        Pieces(c.target, c.source, c.left, c.top, c.right, c.bottom);
    EXPECT_EQ(pieces.size(), c.count);
    for (const Piece& piece : pieces) {
      EXPECT_LT(std::get<0>(piece.target), std::get<2>(piece.target));
      EXPECT_LT(std::get<1>(piece.target), std::get<3>(piece.target));
      EXPECT_LT(std::get<0>(piece.source), std::get<2>(piece.source));
      EXPECT_LT(std::get<1>(piece.source), std::get<3>(piece.source));
    }
  }
}

}  // namespace
