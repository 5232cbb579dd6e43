#pragma once

#include <cstdint>
#include <string>

#include "ui/element_geometry.h"

// The elements of the install window, as data: what each one is, shows and sends, in the order
// the window creates them, so that keys count up from 0 in this order.

// Layout values that depend on what the element loaded; ResolveLayout replaces them.
constexpr int16_t kImageWidth = -1000;
constexpr int16_t kImageHeight = -1001;
constexpr int16_t kFrameHeight = -1002;  // image height / frame count
constexpr int16_t kFontHeight = -1003;
constexpr int16_t kAgreeRow = -1004;     // 50 + the browse button's frame height
constexpr int16_t kAfterAgree = -1005;   // 42 + the agreement text's width

// An element left with its key as its id: the background (key 0) drags the window.
constexpr int32_t kKeyAsId = INT32_MIN;

// What the window keeps an element for.
enum class ElementRole {
  kBackground,
  kLogo,
  kCloseButton,
  kMinimiseButton,
  kCopyright,
  kWaitingImage,
  kStartButton,  // also the finish button, on the finish page
  kFolderBox,
  kBrowseButton,
  kAgreeCheck,
  kAgreeText,
  kProtocolLink,
  kStatusText,
  kPercentText,
  kProgressBar,
  kDetailText,
  kSlowNetworkShade,
  kSlowNetworkText,
};
constexpr int kElementRoleCount = static_cast<int>(ElementRole::kSlowNetworkText) + 1;

// Where an element's colour comes from.
enum class ElementColor {
  kNone,       // the element's default
  kThemeText,  // the theme's text colour
  kFixed,      // the row's fixedColor
};

// Which windows have the element.
enum class ElementPresence {
  kAlways,
  kFirstPage,     // not in a silent install
  kDownloadMode,  // only when the client is downloaded
};

struct ElementRow {
  ElementRole role;
  int32_t type;            // element type code (kLayerFill ... kLayerProgress)
  const char16_t* image;   // state image, unchecked image or progress track; null for none
  const char16_t* second;  // checked image or progress fill
  const char16_t* thumb;   // progress thumb
  LayoutRecord layout;     // may hold the values above
  int32_t frames;          // state frames stacked in the image
  Insets insets;
  int32_t cursor;          // cursor kind
  int32_t id;              // command id, or kKeyAsId
  bool visible;
  bool blended;
  bool checked;
  ElementPresence presence;
  const char16_t* text;    // a text of no language; null: see StartingText
  int32_t fontHeight;      // 0: no font of its own
  bool bold;
  const char16_t* face;    // null: the default face
  ElementColor color;
  uint32_t fixedColor;
  uint32_t textFormat;     // 0: the control's default
};

// The rows, in creation order: one for each role.
extern const ElementRow kInstallElements[kElementRoleCount];

// The text an element of row shows when it is made: the row's own, or the run's language's for
// the status and slow-network texts.
std::u16string StartingText(const ElementRow& row);

// The command ids of the window.
constexpr int32_t kCloseCommand = 4097;
constexpr int32_t kMinimiseCommand = 4098;
constexpr int32_t kStartCommand = 4100;
constexpr int32_t kFinishCommand = 4101;
constexpr int32_t kBrowseCommand = 4103;
constexpr int32_t kHomepageCommand = 4104;
constexpr int32_t kProtocolCommand = 4105;
constexpr int32_t kAgreeCommand = 4106;

// What the placeholders of a row stand for once its images and font are loaded.
struct LoadedSizes {
  int32_t imageWidth = 0;
  int32_t imageHeight = 0;
  int32_t fontHeight = 0;
  int32_t browseHeight = 0;  // the browse button's image height (all its frames)
  int32_t agreeWidth = 0;    // the agreement text's image width
};

// The row's layout record with its placeholders replaced; a missing image counts 0.
LayoutRecord ResolveLayout(const ElementRow& row, const LoadedSizes& sizes);
