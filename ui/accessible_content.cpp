#include "ui/accessible_content.h"

#include <algorithm>

#include "records/current_language.h"

std::u16string DefaultActionOf(const AccessibleItem& item) {
  switch (item.role) {
    case AccessibleRole::kPushButton:
      return Text(TextKey::kWindowPress);
    case AccessibleRole::kCheckBox:
      return Text(item.checked ? TextKey::kWindowClear : TextKey::kWindowCheck);
    case AccessibleRole::kLink:
      return Text(TextKey::kWindowFollow);
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
