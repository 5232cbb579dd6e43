#include "ui/text_fitting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "draw/dpi_scale.h"
#include "support/text/utf8.h"

namespace {

// A font whose ideographs are as wide as it is high and every other character half that, so
// widths scale with the font as a real one's do.
int32_t ModelWidth(std::u16string_view run, int32_t fontHeight) {
  int32_t halves = 0;
  for (char16_t c : run) halves += (c >= 0x3000 && c <= 0x9FFF) || c >= 0xFF00 ? 2 : 1;
  return halves * fontHeight / 2;
}

TEST(TextFitting, FitsTextIntoItsBoxWithoutCuttingAWordSilently) {
  struct Case {
    const char* name;
    std::u16string text;
    TextBox box;         // 96-DPI units
    int32_t fontHeight;  // 96-DPI units
    int dpi;
    std::vector<std::u16string> lines;
    int32_t drawnHeight;  // pixels at dpi
    bool asGiven;
  };
  const std::u16string notice = u"Your network is slow, please wait patiently!";
  const std::u16string status = u"Downloading the client files from the vendor's server";
  const std::vector<Case> cases = {
      {"Chinese that fits stays as it is", u"请稍等...", {490, 15}, 15, 96, {u"请稍等..."}, 15,
       true},
      {"English that fits stays as it is", u"Please wait...", {490, 15}, 15, 96,
       {u"Please wait..."}, 15, true},
      {"one line shrinks to the largest font that fits", std::u16string(40, u'x'), {250, 15}, 15,
       96, {std::u16string(40, u'x')}, 12, false},
      {"a box of two lines wraps rather than shrink", notice, {490, 50}, 24, 96,
       {u"Your network is slow, please wait", u"patiently!"}, 24, false},
      {"Chinese wraps between ideographs, not before a comma", u"检测到您的网速过慢，请耐心等待！",
       {200, 50}, 24, 96, {u"检测到您的网速过", u"慢，请耐心等待！"}, 24, false},
      {"a line breaks after a hyphen", u"Self-extracting", {130, 50}, 24, 96,
       {u"Self-", u"extracting"}, 24, false},
      {"too long for both ends at a word with an ellipsis", status, {200, 15}, 15, 96,
       {u"Downloading the client files from…"}, 11, false},
      {"two lines too few: the second ends with an ellipsis", u"Self-extracting archive",
       {120, 50}, 24, 96, {u"Self-", u"extracting…"}, 18, false},
      {"a word wider than the box is cut inside, with an ellipsis", u"Internationalization",
       {60, 15}, 15, 96, {u"Internatio…"}, 11, false},
      {"at 125 % the same lines", notice, {490, 50}, 24, 120,
       {u"Your network is slow, please wait", u"patiently!"}, 30, false},
      {"at 150 % the same ellipsis", status, {200, 15}, 15, 144,
       {u"Downloading the client files from…"}, 17, false},
      {"at 200 % the same ellipsis", status, {200, 15}, 15, 192,
       {u"Downloading the client files from…"}, 22, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TextBox box{ScaleToDpi(c.box.width, c.dpi), ScaleToDpi(c.box.height, c.dpi)};
    const FittedText fitted = FitText(c.text, box, ScaleToDpi(c.fontHeight, c.dpi),
                                      ShrunkFontFloor(c.fontHeight, c.dpi), ModelWidth);
    EXPECT_EQ(fitted.lines, c.lines);
    EXPECT_EQ(fitted.fontHeight, c.drawnHeight);
    EXPECT_EQ(fitted.asGiven, c.asGiven);
    EXPECT_LE(static_cast<int32_t>(fitted.lines.size()) * fitted.fontHeight,
              std::max(box.height, fitted.fontHeight));
    for (const std::u16string& line : fitted.lines) {
      EXPECT_LE(ModelWidth(line, fitted.fontHeight), box.width) << Utf16ToUtf8(line.c_str());
    }
  }
}

}  // namespace
