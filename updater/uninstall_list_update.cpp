#include "updater/uninstall_list_update.h"

#include <unordered_set>

#include "records/uninst_info.h"
#include "support/text/ascii_text.h"
#include "support/text/path_text.h"

namespace {

// The removed names, folded, without trailing separators.
std::vector<std::u16string> RemovedNames(const std::vector<std::u16string>& removed) {
  std::vector<std::u16string> names;
  for (const std::u16string& name : removed) {
    std::u16string folded = FoldedAscii(name);
    while (!folded.empty() && IsPathSeparator(folded.back())) folded.pop_back();
    if (!folded.empty()) names.push_back(folded);
  }
  return names;
}

// The entry itself, or what lies below it when it is a folder.
bool IsRemoved(const std::u16string& folded, const std::vector<std::u16string>& removed) {
  for (const std::u16string& name : removed) {
    if (folded.compare(0, name.size(), name) != 0) continue;
    if (folded.size() == name.size() || IsPathSeparator(folded[name.size()])) return true;
  }
  return false;
}

}  // namespace

void UpdateUninstallList(const IUninstInfo& current, const IUninstInfo& installed,
                         const std::vector<std::u16string>& removed, IUninstInfo& out) {
  out.Clear();
  const std::vector<std::u16string> removedNames = RemovedNames(removed);
  std::unordered_set<std::u16string> named;
  for (const IUninstInfo* list : {&current, &installed}) {
    for (int i = 0; i < list->Count(); ++i) {
      std::u16string folded = FoldedAscii(list->Get(i));
      if (IsRemoved(folded, removedNames) || !named.insert(folded).second) continue;
      out.Add(list->Get(i), -1);
    }
  }
}
