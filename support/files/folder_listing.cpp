#include "support/files/folder_listing.h"

#include <algorithm>

#include "support/files/folder_listing_unsorted.h"

namespace {

bool IsWholeText(const std::u16string& name) {
  for (size_t i = 0; i < name.size(); ++i) {
    const char16_t unit = name[i];
    if (unit == 0xFFFD) return false;
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < name.size() && name[i + 1] >= 0xDC00 &&
        name[i + 1] <= 0xDFFF) {
      ++i;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      return false;
    }
  }
  return true;
}

}  // namespace

bool ListFolder(const char16_t* folder, std::vector<FolderEntry>& entries) {
  entries.clear();
  if (folder == nullptr || folder[0] == 0) return false;
  if (!ListFolderUnsorted(folder, entries)) {
    entries.clear();
    return false;
  }
  for (FolderEntry& entry : entries) entry.nameIsText = entry.nameIsText && IsWholeText(entry.name);
  std::sort(entries.begin(), entries.end(),
            [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
  return true;
}
