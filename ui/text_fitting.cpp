#include "ui/text_fitting.h"

#include <algorithm>

#include "draw/dpi_scale.h"

namespace {

constexpr int32_t kReadableFontHeight = 11;
constexpr char16_t kEllipsis[] = u"…";

bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\u3000'; }

bool IsIdeograph(char16_t c) {
  return (c >= 0x3400 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) ||
         (c >= 0x3040 && c <= 0x30FF) || (c >= 0xAC00 && c <= 0xD7A3);
}

// CJK punctuation and full-width forms: a line may end after them.
bool IsWidePunctuation(char16_t c) {
  return (c >= 0x3000 && c <= 0x303F) || (c >= 0xFF00 && c <= 0xFFEF);
}

// Marks that belong to the word before them and never begin a line.
bool IsClosingMark(char16_t c) {
  return std::u16string_view(u".,:;!?)]}%…、。，：；！？）」』】》").find(c) !=
         std::u16string_view::npos;
}

// Whether a line may end between text[at - 1] and text[at].
bool IsBreak(std::u16string_view text, size_t at) {
  const char16_t before = text[at - 1];
  const char16_t after = text[at];
  if (IsSpace(after)) return false;
  if (IsSpace(before)) return true;
  if (IsClosingMark(after)) return false;
  return before == u'-' || IsIdeograph(before) || IsWidePunctuation(before) ||
         IsIdeograph(after);
}

// A line of the text: [start, end), trailing spaces left out.
struct LineSpan {
  size_t start = 0;
  size_t end = 0;
  bool overlong = false;  // a single word wider than the box
};

// The text's lines in the box's width, at any height, measured by the caller's font.
class Fitter {
 public:
  Fitter(std::u16string_view text, int32_t width, const MeasureRun& measure)
      : text_(text), width_(width), measure_(measure) {}

  bool Fits(std::u16string_view run, int32_t height) const {
    return measure_(run, height) <= width_;
  }

  // The text broken greedily into lines of the box's width at height.
  std::vector<LineSpan> Wrap(int32_t height) const {
    std::vector<LineSpan> lines;
    size_t start = SkipSpaces(0);
    while (start < text_.size()) {
      LineSpan line{start, 0, false};
      size_t next = 0;
      for (size_t at = NextBreak(start);; at = NextBreak(at)) {
        const size_t end = TrimSpaces(start, at);
        const bool fits = Fits(text_.substr(start, end - start), height);
        if (!fits && next != 0) break;
        line.end = end;
        line.overlong = !fits;
        next = at;
        if (!fits || at == text_.size()) break;
      }
      lines.push_back(line);
      start = SkipSpaces(next);
    }
    return lines;
  }

  // The text from start on, in as many whole words as fit before "…"; a first word too wide for
  // that is cut inside, between two characters.
  std::u16string Shortened(size_t start, int32_t height) const {
    std::u16string best;
    for (size_t at = NextBreak(start);; at = NextBreak(at)) {
      std::u16string candidate(text_.substr(start, TrimSpaces(start, at) - start));
      candidate += kEllipsis;
      if (!Fits(candidate, height)) break;
      best = candidate;
      if (at == text_.size()) break;
    }
    if (!best.empty()) return best;
    best = kEllipsis;
    for (size_t end = start + 1; end <= text_.size(); ++end) {
      if (end < text_.size() && IsLowSurrogate(text_[end])) continue;
      std::u16string candidate(text_.substr(start, end - start));
      candidate += kEllipsis;
      if (!Fits(candidate, height)) break;
      best = candidate;
    }
    return best;
  }

  std::u16string Line(const LineSpan& line) const {
    return std::u16string(text_.substr(line.start, line.end - line.start));
  }

 private:
  static bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

  // The next place after from where a line may end; the text's end when there is none.
  size_t NextBreak(size_t from) const {
    for (size_t at = from + 1; at < text_.size(); ++at) {
      if (IsBreak(text_, at)) return at;
    }
    return text_.size();
  }
  size_t SkipSpaces(size_t from) const {
    while (from < text_.size() && IsSpace(text_[from])) ++from;
    return from;
  }
  size_t TrimSpaces(size_t start, size_t end) const {
    while (end > start && IsSpace(text_[end - 1])) --end;
    return end;
  }

  std::u16string_view text_;
  int32_t width_;
  const MeasureRun& measure_;
};

int32_t LinesThatFit(int32_t boxHeight, int32_t fontHeight) {
  return std::max(1, boxHeight / fontHeight);
}

// The wrapped lines when there are no more than maxLines of them and each fits.
bool WrapWithin(const Fitter& fitter, int32_t height, int32_t maxLines, FittedText& fitted) {
  const std::vector<LineSpan> spans = fitter.Wrap(height);
  if (static_cast<int32_t>(spans.size()) > maxLines) return false;
  fitted.lines.clear();
  for (const LineSpan& span : spans) {
    if (span.overlong) return false;
    fitted.lines.push_back(fitter.Line(span));
  }
  fitted.fontHeight = height;
  return true;
}

}  // namespace

FittedText FitText(std::u16string_view text, TextBox box, int32_t fontHeight,
                   int32_t minimumFontHeight, const MeasureRun& measure) {
  FittedText fitted;
  fitted.fontHeight = fontHeight;
  const Fitter fitter(text, box.width, measure);
  if (fontHeight <= 0 || text.empty() || fitter.Fits(text, fontHeight)) {
    fitted.lines.emplace_back(text);
    fitted.asGiven = true;
    return fitted;
  }
  const int32_t floor =
      minimumFontHeight > 0 && minimumFontHeight < fontHeight ? minimumFontHeight : fontHeight;
  // A box of one line keeps the text on it while a smaller font can; wrapping it would need
  // the font below the floor.
  const bool wrapsFirst = LinesThatFit(box.height, fontHeight) >= 2;
  if (!wrapsFirst) {
    for (int32_t height = fontHeight - 1; height >= floor; --height) {
      if (fitter.Fits(text, height)) {
        fitted.lines.emplace_back(text);
        fitted.fontHeight = height;
        return fitted;
      }
    }
  }
  for (int32_t height = fontHeight; height >= floor; --height) {
    const int32_t maxLines = LinesThatFit(box.height, height);
    if ((wrapsFirst || maxLines >= 2) && WrapWithin(fitter, height, maxLines, fitted)) {
      return fitted;
    }
  }
  // The last line that fits, or the first line whose single word does not, ends with "…".
  fitted.lines.clear();
  fitted.fontHeight = floor;
  const int32_t maxLines = LinesThatFit(box.height, floor);
  for (const LineSpan& span : fitter.Wrap(floor)) {
    if (span.overlong || static_cast<int32_t>(fitted.lines.size()) == maxLines - 1) {
      fitted.lines.push_back(fitter.Shortened(span.start, floor));
      break;
    }
    fitted.lines.push_back(fitter.Line(span));
  }
  return fitted;
}

int32_t ShrunkFontFloor(int32_t fontHeight, int dpi) {
  const int32_t floor = std::min(fontHeight, std::max(kReadableFontHeight, fontHeight * 3 / 4));
  return ScaleToDpi(floor, dpi);
}
