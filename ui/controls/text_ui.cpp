#include "ui/controls/text_ui.h"

#include "draw/render.h"

namespace {

// How a fitted line is placed within its band; the band itself is placed by the format.
uint32_t LineFormat(uint32_t format) {
  return (format & ~static_cast<uint32_t>(DT_VCENTER | DT_BOTTOM | DT_WORDBREAK)) | DT_TOP |
         DT_SINGLELINE;
}

}  // namespace

void CTextUI::Draw(IRender* render) {
  if (render == nullptr) return;
  const RECT box = IndentedRect();
  if (font.GetHandle() == nullptr) {
    DrawElementText(render, box, text.Units(), text.Length(), nullptr, textFormat);
    SetDirty(false);
    return;
  }
  const uint32_t measureFormat = (textFormat & DT_NOPREFIX) | DT_SINGLELINE;
  const MeasureRun measure = [&](std::u16string_view run, int32_t height) {
    RECT extent{0, 0, 0, 0};
    render->MeasureText(extent, run.data(), static_cast<int>(run.size()), FontAt(height),
                        measureFormat);
    return static_cast<int32_t>(extent.right - extent.left);
  };
  const FittedText fitted =
      FitText(std::u16string_view(text.Units(), text.Length()),
              TextBox{box.right - box.left, box.bottom - box.top}, font.GetHeight(),
              minimumFontHeight, measure);
  if (fitted.asGiven) {
    DrawElementText(render, box, text.Units(), text.Length(), font.GetHandle(), textFormat);
  } else {
    DrawLines(render, box, fitted);
  }
  SetDirty(false);
}

HFONT CTextUI::FontAt(int32_t height) {
  if (height == font.GetHeight()) return font.GetHandle();
  if (fittedFont_.GetHandle() == nullptr || fittedFont_.GetHeight() != height) {
    fittedFont_.Create(height, font.IsBold(), font.IsUnderline(), font.IsItalic(),
                       font.GetEscapement(), font.GetFaceName());
  }
  return fittedFont_.GetHandle();
}

void CTextUI::DrawLines(IRender* render, const RECT& box, const FittedText& fitted) {
  const int32_t lineHeight = fitted.fontHeight;
  const int32_t blockHeight = lineHeight * static_cast<int32_t>(fitted.lines.size());
  int32_t top = box.top;
  if ((textFormat & DT_BOTTOM) != 0) {
    top = box.bottom - blockHeight;
  } else if ((textFormat & DT_VCENTER) != 0) {
    top = box.top + (box.bottom - box.top - blockHeight) / 2;
  }
  HFONT shown = FontAt(lineHeight);
  for (const std::u16string& line : fitted.lines) {
    const RECT band{box.left, top, box.right, top + lineHeight};
    DrawElementText(render, band, line.c_str(), static_cast<int>(line.size()), shown,
                    LineFormat(textFormat));
    top += lineHeight;
  }
}
