#include "ui/accessible_content.h"

#include <algorithm>

std::u16string DefaultActionOf(const AccessibleItem& item) {
  switch (item.role) {
    case AccessibleRole::kPushButton:
      return u"按下";
    case AccessibleRole::kCheckBox:
      return item.checked ? u"清除" : u"选中";
    case AccessibleRole::kLink:
      return u"跳转";
    case AccessibleRole::kProgressBar:
    case AccessibleRole::kStaticText:
    case AccessibleRole::kText:
    case AccessibleRole::kGraphic:
      break;
  }
  return u"";
}

std::vector<AccessibleEvent> AccessibleChanges(const std::vector<AccessibleItem>& before,
                                               const std::vector<AccessibleItem>& after) {
  std::vector<AccessibleEvent> events;
  const size_t common = std::min(before.size(), after.size());
  for (size_t i = 0; i < after.size(); ++i) {
    const auto item = static_cast<int32_t>(i);
    const AccessibleItem& now = after[i];
    if (i >= common || before[i].visible != now.visible) {
      if (now.visible) events.push_back({AccessibleChange::kShown, item});
      if (!now.visible && i < common) events.push_back({AccessibleChange::kHidden, item});
      continue;
    }
    if (!now.visible) continue;
    const AccessibleItem& was = before[i];
    if (was.name != now.name) events.push_back({AccessibleChange::kNameChanged, item});
    if (was.value != now.value) events.push_back({AccessibleChange::kValueChanged, item});
    if (was.checked != now.checked) events.push_back({AccessibleChange::kStateChanged, item});
  }
  return events;
}
