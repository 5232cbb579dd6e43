#include "setup/install_elements.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "setup/install_page.h"
#include "ui/layout_scaling.h"

namespace {

// The sizes of the default skin's images (samples/make_skin.py), all frames included.
const std::map<std::u16string, std::pair<int, int>> kSkinSizes = {
    {u"bg_main.png", {600, 400}},    {u"logo.png", {118, 30}},
    {u"btn_close.png", {24, 72}},    {u"btn_min.png", {24, 72}},
    {u"copyright.png", {191, 16}},   {u"waiting.png", {236, 44}},
    {u"btn_start.png", {178, 138}},  {u"edit.png", {60, 28}},
    {u"btn_browse.png", {64, 84}},   {u"check.png", {13, 39}},
    {u"agree.png", {84, 15}},        {u"protocol.png", {96, 45}},
    {u"progress_sink.png", {12, 6}},
};

const ElementRow& Row(ElementRole role) { return kInstallElements[static_cast<int>(role)]; }

// Where the element of role lands in the window with the default skin at dpi; the layout rules
// and the skin's sizes are in 96-DPI units.
ElementRect Placed(ElementRole role, int dpi = 96) {
  const ElementRow& row = Row(role);
  LoadedSizes sizes;
  if (row.image != nullptr) {
    auto found = kSkinSizes.find(row.image);
    if (found != kSkinSizes.end()) {
      sizes.imageWidth = found->second.first;
      sizes.imageHeight = found->second.second;
    }
  }
  sizes.fontHeight = row.fontHeight;
  sizes.browseHeight = kSkinSizes.at(u"btn_browse.png").second;
  sizes.agreeWidth = kSkinSizes.at(u"agree.png").first;
  return AnchorLayout(ElementRect{0, 0, 600 * dpi / 96, 400 * dpi / 96},
                      ScaleLayout(ResolveLayout(row, sizes), dpi));
}

bool Overlap(const ElementRect& a, const ElementRect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

std::string Name(ElementRole role) { return std::to_string(static_cast<int>(role)); }

// The window keeps its elements by role: each row stands at its role's place.
TEST(InstallElements, EachRowStandsAtItsRolesPlace) {
  for (int i = 0; i < kElementRoleCount; ++i) {
    EXPECT_EQ(static_cast<int>(kInstallElements[i].role), i);
  }
  EXPECT_EQ(Row(ElementRole::kBackground).id, kKeyAsId) << "the background drags the window";
}

// With the default skin every element lies inside the window, and the images shown together on
// a page never cover each other, nor do the texts.
TEST(InstallElements, ThePagesOfTheDefaultSkinFitTheWindowWithoutOverlaps) {
  for (int i = 0; i < kElementRoleCount; ++i) {
    SCOPED_TRACE(Name(static_cast<ElementRole>(i)));
    const ElementRect at = Placed(static_cast<ElementRole>(i));
    EXPECT_GE(at.left, 0);
    EXPECT_GE(at.top, 0);
    EXPECT_LE(at.right, 600);
    EXPECT_LE(at.bottom, 400);
    EXPECT_LT(at.left, at.right);
    EXPECT_LT(at.top, at.bottom);
  }
  using R = ElementRole;
  const std::set<R> frame = {R::kLogo, R::kCloseButton, R::kMinimiseButton, R::kCopyright};
  struct Page {
    const char* name;
    std::set<R> elements;
  };
  const Page pages[] = {
      {"first", {R::kStartButton, R::kFolderBox, R::kBrowseButton, R::kAgreeCheck, R::kAgreeText,
                 R::kProtocolLink}},
      {"progress", {R::kWaitingImage, R::kStatusText, R::kPercentText, R::kProgressBar,
                    R::kDetailText}},
      {"slow network", {R::kWaitingImage, R::kSlowNetworkText, R::kPercentText, R::kProgressBar}},
  };
  for (const Page& page : pages) {
    SCOPED_TRACE(page.name);
    std::set<R> shown = page.elements;
    shown.insert(frame.begin(), frame.end());
    for (R a : shown) {
      for (R b : shown) {
        // A text's box is taller than its glyphs and may reach over an image's edge.
        const bool textOverImage = (Row(a).type == 1) != (Row(b).type == 1);
        if (a < b && !textOverImage) {
          EXPECT_FALSE(Overlap(Placed(a), Placed(b))) << Name(a) << " and " << Name(b);
        }
      }
    }
  }
  // Reading order of the first page: the agreement row above the folder row, its link after
  // its text, and the browse button after the folder box.
  EXPECT_LE(Placed(R::kAgreeText).bottom, Placed(R::kFolderBox).top);
  EXPECT_EQ(Placed(R::kProtocolLink).left, Placed(R::kAgreeText).right + 6);
  EXPECT_LT(Placed(R::kFolderBox).right, Placed(R::kBrowseButton).left);
  EXPECT_LT(Placed(R::kMinimiseButton).right, Placed(R::kCloseButton).left);
}

// What each page shows, for a person: the first page waits for the agreement before it offers
// the start, the progress page shows the install, the finish page only the finish button.
TEST(InstallElements, PagesShowWhatTheFlowsViewSays) {
  using R = ElementRole;
  InstallView first;
  InstallView progress;
  progress.firstPageVisible = false;
  progress.progressVisible = true;
  progress.waitingVisible = true;
  InstallView slow = progress;
  slow.slowNetworkVisible = true;
  InstallView finish = progress;
  finish.progressVisible = false;
  finish.waitingVisible = false;
  finish.finishButtonVisible = true;
  InstallView silentFinish = finish;
  silentFinish.finishButtonVisible = false;
  const std::set<R> frame = {R::kBackground, R::kLogo, R::kCloseButton, R::kMinimiseButton,
                             R::kCopyright};
  const std::set<R> firstPage = {R::kFolderBox, R::kBrowseButton, R::kAgreeCheck, R::kAgreeText,
                                 R::kProtocolLink};
  const std::set<R> progressPage = {R::kWaitingImage, R::kStatusText, R::kPercentText,
                                    R::kProgressBar, R::kDetailText};
  std::set<R> agreedFirstPage = firstPage;
  agreedFirstPage.insert(R::kStartButton);
  std::set<R> slowPage = progressPage;
  slowPage.insert({R::kSlowNetworkShade, R::kSlowNetworkText});
  struct Case {
    const char* name;
    InstallView view;
    bool agreed;
    std::set<R> shown;  // besides the frame
  };
  const Case cases[] = {
      {"first page, agreed", first, true, agreedFirstPage},
      {"first page, not agreed", first, false, firstPage},
      {"progress", progress, true, progressPage},
      {"progress, slow network", slow, true, slowPage},
      {"finish", finish, true, {R::kStartButton}},
      {"finish of a silent install", silentFinish, true, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::set<R> expected = c.shown;
    expected.insert(frame.begin(), frame.end());
    for (int i = 0; i < kElementRoleCount; ++i) {
      const R role = static_cast<R>(i);
      EXPECT_EQ(IsShownInView(role, c.view, c.agreed), expected.count(role) == 1) << Name(role);
    }
  }
  // The window is built showing the first page with the agreement checked.
  for (int i = 0; i < kElementRoleCount; ++i) {
    const ElementRow& row = kInstallElements[i];
    EXPECT_EQ(row.visible, IsShownInView(row.role, first, Row(R::kAgreeCheck).checked))
        << Name(row.role);
  }
}

// At 200 % every element takes exactly twice its place, and at 150 % half as much again to the
// pixel: the window is the same window, only finer.
TEST(InstallElements, AtAHigherDpiEveryElementTakesItsPlaceScaled) {
  for (int i = 0; i < kElementRoleCount; ++i) {
    const auto role = static_cast<ElementRole>(i);
    SCOPED_TRACE(Name(role));
    const ElementRect once = Placed(role);
    const ElementRect twice = Placed(role, 192);
    EXPECT_EQ(twice.left, 2 * once.left);
    EXPECT_EQ(twice.top, 2 * once.top);
    EXPECT_EQ(twice.right, 2 * once.right);
    EXPECT_EQ(twice.bottom, 2 * once.bottom);
    const ElementRect half = Placed(role, 144);
    EXPECT_NEAR(half.left, 1.5 * once.left, 1);
    EXPECT_NEAR(half.top, 1.5 * once.top, 1);
    EXPECT_NEAR(half.right, 1.5 * once.right, 1);
    EXPECT_NEAR(half.bottom, 1.5 * once.bottom, 1);
  }
}

TEST(InstallElements, TheViewTellsThePage) {
  InstallView view;
  EXPECT_EQ(PageOfView(view), InstallPage::kFirst);
  view.firstPageVisible = false;
  view.progressVisible = true;
  EXPECT_EQ(PageOfView(view), InstallPage::kProgress);
  view.progressVisible = false;
  EXPECT_EQ(PageOfView(view), InstallPage::kProgress) << "a silent install's end shows nothing";
  view.finishButtonVisible = true;
  EXPECT_EQ(PageOfView(view), InstallPage::kFinish);
}

}  // namespace
