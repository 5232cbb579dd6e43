#include "ui/accessible_content.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/helpers/held_language.h"

namespace {

AccessibleItem Item(const char16_t* name, bool visible, const char16_t* value = u"",
                    bool checked = false) {
  AccessibleItem item;
  item.name = name;
  item.value = value;
  item.visible = visible;
  item.checked = checked;
  return item;
}

std::string Events(const std::vector<AccessibleEvent>& events) {
  const char* names[] = {"shown", "hidden", "name", "value", "state"};
  std::string text;
  for (const AccessibleEvent& event : events) {
    if (!text.empty()) text += " ";
    text += std::string(names[static_cast<int>(event.change)]) + " " + std::to_string(event.item);
  }
  return text;
}

TEST(AccessibleChanges, AnnouncesWhatAppearedWentOrChangedOnTheScreen) {
  const std::vector<AccessibleItem> before = {
      Item(u"start", true), Item(u"status", false), Item(u"progress", false, u"0%"),
      Item(u"agree", true, u"", true), Item(u"percent", true, u"", false)};
  struct Case {
    const char* name;
    std::vector<AccessibleItem> after;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"nothing changed", before, ""},
      {"a page change",
       {Item(u"start", false), Item(u"status", true), Item(u"progress", true, u"0%"),
        Item(u"agree", false, u"", true), Item(u"percent", true)},
       "hidden 0 shown 1 shown 2 hidden 3"},
      {"text, value and state of visible items",
       {Item(u"finish", true), Item(u"file.txt", false), Item(u"progress", false, u"40%"),
        Item(u"agree", true, u"", false), Item(u"percent", true, u"1%")},
       "name 0 state 3 value 4"},
      {"an item that appears is heard once", 
       {Item(u"start", true), Item(u"file.txt", true), Item(u"progress", false, u"0%"),
        Item(u"agree", true, u"", true), Item(u"percent", true)},
       "shown 1"},
      {"an item more", 
       {Item(u"start", true), Item(u"status", false), Item(u"progress", false, u"0%"),
        Item(u"agree", true, u"", true), Item(u"percent", true), Item(u"new", true),
        Item(u"hidden new", false)},
       "shown 5"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Events(AccessibleChanges(before, c.after)), c.expected);
  }
}

TEST(AccessibleChanges, DefaultActionsAreSaidForWhatCanBeActivated) {
  const HeldLanguage chinese(ChineseLanguage());  // its texts as they have always been
  AccessibleItem item;
  item.role = AccessibleRole::kPushButton;
  EXPECT_EQ(DefaultActionOf(item), u"按下");
  item.role = AccessibleRole::kLink;
  EXPECT_EQ(DefaultActionOf(item), u"跳转");
  item.role = AccessibleRole::kCheckBox;
  EXPECT_EQ(DefaultActionOf(item), u"选中");
  item.checked = true;
  EXPECT_EQ(DefaultActionOf(item), u"清除");
  for (AccessibleRole role : {AccessibleRole::kProgressBar, AccessibleRole::kStaticText,
                              AccessibleRole::kText, AccessibleRole::kGraphic}) {
    item.role = role;
    EXPECT_EQ(DefaultActionOf(item), u"");
  }
}

}  // namespace
