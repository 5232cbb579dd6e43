#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// How a text element makes its text fit its box when the language's words are longer than the
// box was drawn for. A text that fits stays as it is. A box with room for one line of its font
// shrinks the font first, down to a floor, and wraps only when the shrunk font leaves room for a
// second line; a box with room for two lines or more wraps first and shrinks after. What fits
// neither way ends at a word with "…", so no word is ever cut without a sign of it.
//
// Lines break at spaces (which are dropped), after hyphens, and before or after an ideograph
// (never before a closing mark such as "，" or "."). Only a word wider than the whole box at the
// floor is cut inside, and then it ends with "…".

// The width in pixels of run drawn on one line with the element's font at fontHeight pixels.
using MeasureRun = std::function<int32_t(std::u16string_view run, int32_t fontHeight)>;

// The space the text is drawn in, in pixels.
struct TextBox {
  int32_t width = 0;
  int32_t height = 0;
};

struct FittedText {
  std::vector<std::u16string> lines;  // top to bottom; each a font height tall
  int32_t fontHeight = 0;             // the height to draw every line with
  bool asGiven = false;               // the text on one line at the font's own height
};

// The lines and font height that fit text into box, the font fontHeight pixels high and never
// shrunk below minimumFontHeight (0 or more than fontHeight: never shrunk).
FittedText FitText(std::u16string_view text, TextBox box, int32_t fontHeight,
                   int32_t minimumFontHeight, const MeasureRun& measure);

// The floor, in pixels at dpi, of a font of fontHeight 96-DPI units: three quarters of it, but
// never below 11 units (smaller is hard to read) and never above the font itself.
int32_t ShrunkFontFloor(int32_t fontHeight, int dpi);
