#include "setup/install_elements.h"

#include <initializer_list>

#include "records/current_language.h"
#include "ui/cursor_kind.h"

namespace {

constexpr uint32_t kCentredLine = 37;  // DT_CENTER | DT_VCENTER | DT_SINGLELINE
constexpr Insets kNoInsets{0, 0, 0, 0};
constexpr Insets kTextInsets{20, 0, 20, 0};
constexpr int32_t kNoCommand = -1;

// Rows without text, font or colour of their own.
constexpr ElementRow Image(ElementRole role, const char16_t* image, LayoutRecord layout,
                           int32_t frames, int32_t cursor, int32_t id, bool visible,
                           bool blended, ElementPresence presence) {
  return ElementRow{role, 3, image, nullptr, nullptr, layout, frames, kNoInsets, cursor, id,
                    visible, blended, false, presence, nullptr, 0, false, nullptr,
                    ElementColor::kNone, 0, 0};
}

// Hidden text rows of the progress page.
constexpr ElementRow HiddenText(ElementRole role, const char16_t* text, LayoutRecord layout,
                                int32_t fontHeight, bool bold, ElementPresence presence) {
  return ElementRow{role, 1, nullptr, nullptr, nullptr, layout, 1, kNoInsets,
                    kCursorKindArrow, kNoCommand, false, true, false, presence, text, fontHeight,
                    bold, nullptr, ElementColor::kThemeText, 0, 0};
}

constexpr ElementPresence kAlways = ElementPresence::kAlways;
constexpr ElementPresence kFirstPage = ElementPresence::kFirstPage;
constexpr ElementPresence kDownload = ElementPresence::kDownloadMode;
constexpr int32_t kHand = kCursorKindHand;
constexpr int32_t kArrow = kCursorKindArrow;

}  // namespace

const ElementRow kInstallElements[kElementRoleCount] = {
    Image(ElementRole::kBackground, u"bg_main.png", {0, 0, 0, 0, 0, 0, 0, 0}, 1, kArrow, kKeyAsId,
          true, true, kAlways),
    Image(ElementRole::kLogo, u"logo.png", {20, 0, 10, 0, kImageWidth, 0, kImageHeight, 0}, 1,
          kHand, kHomepageCommand, true, true, kAlways),
    Image(ElementRole::kCloseButton, u"btn_close.png",
          {-1, 0, 10, 0, kImageWidth, 10, kFrameHeight, 0}, 3, kHand, kCloseCommand, true, true,
          kAlways),
    Image(ElementRole::kMinimiseButton, u"btn_min.png",
          {-1, 0, 10, 0, kImageWidth, 35, kFrameHeight, 0}, 3, kHand, kMinimiseCommand, true,
          true, kAlways),
    Image(ElementRole::kCopyright, u"copyright.png",
          {-1, 0, -1, 0, kImageWidth, 20, kImageHeight, 10}, 1, kArrow, kNoCommand, true, true,
          kAlways),
    Image(ElementRole::kWaitingImage, u"waiting.png",
          {-1, -1, -1, -1, kImageWidth, 0, kImageHeight, 0}, 1, kArrow, kKeyAsId, false, true,
          kAlways),
    Image(ElementRole::kStartButton, u"btn_start.png", {-1, -1, -1, -1, 178, 0, kFrameHeight, 0},
          3, kHand, kStartCommand, true, true, kFirstPage),
    ElementRow{ElementRole::kFolderBox, 2, u"edit.png", nullptr, nullptr,
               {20, 0, -1, 0, 0, 90, kImageHeight, 40}, 1, kTextInsets, kCursorKindIBeam,
               kNoCommand, true, true, false, kFirstPage, nullptr, 15, false, nullptr,
               ElementColor::kThemeText, 0, 0},
    ElementRow{ElementRole::kBrowseButton, 3, u"btn_browse.png", nullptr, nullptr,
               {-1, 0, -1, 0, kImageWidth, 20, kFrameHeight, 40}, 3, kTextInsets, kHand,
               kBrowseCommand, true, true, false, kFirstPage, nullptr, 0, false, nullptr,
               ElementColor::kThemeText, 0, 0},
    ElementRow{ElementRole::kAgreeCheck, 5, u"check.png", u"checked.png", nullptr,
               {20, 0, -1, 0, 13, 0, kFrameHeight, kAgreeRow}, 3, kNoInsets, kHand, kAgreeCommand,
               true, true, true, kFirstPage, nullptr, 0, false, nullptr, ElementColor::kNone, 0,
               0},
    Image(ElementRole::kAgreeText, u"agree.png", {36, 0, -1, 0, kImageWidth, 0, kImageHeight,
                                                  kAgreeRow},
          1, kHand, kAgreeCommand, true, true, kFirstPage),
    Image(ElementRole::kProtocolLink, u"protocol.png",
          {kAfterAgree, 0, -1, 0, kImageWidth, 0, kFrameHeight, kAgreeRow}, 3, kHand,
          kProtocolCommand, true, true, kFirstPage),
    HiddenText(ElementRole::kStatusText, nullptr, {20, 0, -1, 0, 0, 90, kFontHeight, 72}, 15,
               false, kAlways),
    HiddenText(ElementRole::kPercentText, u"0%", {-1, 0, -1, 0, 70, 20, kFontHeight, 59}, 32,
               true, kAlways),
    ElementRow{ElementRole::kProgressBar, 6, u"progress_sink.png", u"progress_pos.png",
               u"progress_dot.png", {20, 0, -1, 0, 0, 20, kImageHeight, 54}, 1, {3, 0, 3, 0},
               kArrow, kNoCommand, false, true, true, kAlways, nullptr, 0, false, nullptr,
               ElementColor::kNone, 0, 0},
    HiddenText(ElementRole::kDetailText, u"", {20, 0, -1, 0, 0, 90, kFontHeight, 30}, 15, false,
               kDownload),
    ElementRow{ElementRole::kSlowNetworkShade, 0, nullptr, nullptr, nullptr,
               {20, 0, -1, 0, 0, 20, 50, 110}, 1, kNoInsets, kArrow, kNoCommand, false, true,
               false, kDownload, nullptr, 0, false, nullptr, ElementColor::kFixed, 0x80808080, 0},
    ElementRow{ElementRole::kSlowNetworkText, 1, nullptr, nullptr, nullptr,
               {20, 0, -1, 0, 0, 20, 50, 110}, 1, kNoInsets, kArrow, kNoCommand, false, true,
               false, kDownload, nullptr, 24, true, u"微软雅黑", ElementColor::kFixed, 0x000000FF,
               kCentredLine},
};

std::u16string StartingText(const ElementRow& row) {
  switch (row.role) {
    case ElementRole::kStatusText:
      return Text(TextKey::kWindowPleaseWait);
    case ElementRole::kSlowNetworkText:
      return Text(TextKey::kWindowSlowNetwork);
    default:
      break;
  }
  return row.text != nullptr ? row.text : u"";
}

LayoutRecord ResolveLayout(const ElementRow& row, const LoadedSizes& sizes) {
  LayoutRecord layout = row.layout;
  const int32_t frames = row.frames > 0 ? row.frames : 1;
  for (int16_t* value : {&layout.left, &layout.rightAnchor, &layout.top, &layout.bottomAnchor,
                         &layout.width, &layout.rightMargin, &layout.height,
                         &layout.bottomMargin}) {
    int32_t resolved = *value;
    switch (*value) {
      case kImageWidth: resolved = sizes.imageWidth; break;
      case kImageHeight: resolved = sizes.imageHeight; break;
      case kFrameHeight: resolved = sizes.imageHeight / frames; break;
      case kFontHeight: resolved = sizes.fontHeight; break;
      // The browse button has three frames.
      case kAgreeRow: resolved = 50 + sizes.browseHeight / 3; break;
      case kAfterAgree: resolved = 42 + sizes.agreeWidth; break;
      default: break;
    }
    *value = static_cast<int16_t>(resolved);
  }
  return layout;
}
