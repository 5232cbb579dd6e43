#include "setup/install_element_access.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "tests/helpers/held_language.h"

namespace {

std::string Name(ElementRole role) { return std::to_string(static_cast<int>(role)); }

// How an element takes the keyboard and what a screen reader calls it go together: whatever Tab
// reaches is a button, a link or a check box to the reader too, and says what it is.
TEST(InstallElementAccess, WhatTakesKeysIsExposedAsTheControlItActsAs) {
  for (int i = 0; i < kElementRoleCount; ++i) {
    const auto role = static_cast<ElementRole>(i);
    SCOPED_TRACE(Name(role));
    const ElementAccess access = AccessOf(role, false);
    const FocusKind kind = FocusKindOf(FocusTargetOf(role));
    if (!access.exposed) {
      // Only a label may hide behind its control.
      EXPECT_TRUE(kind == FocusKind::kNone || FocusTargetOf(role) != role);
      continue;
    }
    switch (kind) {
      case FocusKind::kButton:
        EXPECT_EQ(access.role, AccessibleRole::kPushButton);
        break;
      case FocusKind::kLink:
        EXPECT_EQ(access.role, AccessibleRole::kLink);
        break;
      case FocusKind::kCheckBox:
        EXPECT_EQ(access.role, AccessibleRole::kCheckBox);
        break;
      case FocusKind::kNone:
        EXPECT_TRUE(access.role == AccessibleRole::kStaticText ||
                    access.role == AccessibleRole::kText ||
                    access.role == AccessibleRole::kProgressBar ||
                    access.role == AccessibleRole::kGraphic);
        break;
    }
    // Images say nothing by themselves: every element but a text has a name of its own.
    const bool text = kInstallElements[i].type == 1;
    EXPECT_EQ(access.name == nullptr, text);
    if (access.name != nullptr) {
      EXPECT_NE(std::u16string(access.name), u"");
    }
  }
}

TEST(InstallElementAccess, TheTabOrderReachesEveryControlOnceAndTheDefaultButton) {
  const HeldLanguage chinese(ChineseLanguage());  // its texts as they have always been
  std::set<ElementRole> seen;
  for (ElementRole role : kInstallTabOrder) {
    SCOPED_TRACE(Name(role));
    EXPECT_TRUE(seen.insert(role).second);
    EXPECT_NE(FocusKindOf(role), FocusKind::kNone);
    EXPECT_EQ(FocusTargetOf(role), role);
    EXPECT_TRUE(AccessOf(role, false).exposed);
  }
  EXPECT_EQ(seen.count(kDefaultButton), 1u);
  EXPECT_EQ(FocusKindOf(kDefaultButton), FocusKind::kButton);
  // The agreement's text hands the focus to its box.
  EXPECT_EQ(FocusTargetOf(ElementRole::kAgreeText), ElementRole::kAgreeCheck);
  EXPECT_FALSE(AccessOf(ElementRole::kAgreeText, false).exposed);
  // The start button is read as what it is on each page.
  EXPECT_EQ(std::u16string(AccessOf(ElementRole::kStartButton, false).name), u"开始安装");
  EXPECT_EQ(std::u16string(AccessOf(ElementRole::kStartButton, true).name), u"完成");
}

TEST(InstallElementAccess, ProgressIsReadInWholePercent) {
  struct Case {
    uint32_t position, range;
    std::u16string expected;
  };
  const std::vector<Case> cases = {
      {0, 100, u"0%"},   {50, 100, u"50%"},          {1, 3, u"33%"},
      {2, 3, u"66%"},    {200, 100, u"100%"},        {5, 0, u"0%"},
      {4000000000u, 4000000000u, u"100%"}, {3999999999u, 4000000000u, u"99%"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.position) + " of " + std::to_string(c.range));
    EXPECT_EQ(ProgressValueText(c.position, c.range), c.expected);
  }
}

}  // namespace
