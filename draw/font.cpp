#include "draw/font.h"

#include "support/core/wide_text.h"

namespace {

// The weights the skin uses: not bold is thin, not the regular 400.
constexpr int kBoldWeight = FW_BOLD;
constexpr int kRegularWeight = FW_THIN;

}  // namespace

bool CFont::Create(int32_t height, bool bold, bool underline, bool italic, int32_t escapement,
                   const char16_t* faceName) {
  font_.Reset(nullptr);
  faceName_.Assign(faceName != nullptr ? faceName : u"Arial");
  bold_ = bold;
  italic_ = italic;
  underline_ = underline;
  strikeOut_ = false;
  height_ = height;
  escapement_ = static_cast<int16_t>(escapement & 0xFFFF);
  spare_ = 0;
  font_.Reset(CreateFontW(height_, 0, escapement_, 0, bold_ ? kBoldWeight : kRegularWeight,
                          italic_, underline_, FALSE, DEFAULT_CHARSET, OUT_STROKE_PRECIS,
                          CLIP_STROKE_PRECIS, CLEARTYPE_NATURAL_QUALITY, DEFAULT_PITCH | FF_SWISS,
                          AsWide(faceName_.Units())));
  return font_.Get() != nullptr;
}

bool CFont::CreateSimple(int32_t height, bool bold, const char16_t* faceName) {
  return Create(height, bold, false, false, 0, faceName);
}

void CFont::Release() { delete this; }
