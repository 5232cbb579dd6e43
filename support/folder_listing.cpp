#include "support/folder_listing.h"

#include <algorithm>

#include "support/folder_listing_unsorted.h"

bool ListFolder(const char16_t* folder, std::vector<FolderEntry>& entries) {
  entries.clear();
  if (folder == nullptr || folder[0] == 0) return false;
  if (!ListFolderUnsorted(folder, entries)) {
    entries.clear();
    return false;
  }
  std::sort(entries.begin(), entries.end(),
            [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
  return true;
}
