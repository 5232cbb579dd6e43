#include "uninstaller/installed_files_removal.h"

#include <windows.h>

#include <algorithm>
#include <string_view>

#include "product/uninstall_removal.h"
#include "records/uninst_info.h"
#include "support/core/wide_text.h"
#include "support/files/entry_path.h"
#include "support/files/file_stream.h"
#include "support/files/folder_tree.h"
#include "support/files/link_check.h"
#include "support/http/file_download.h"
#include "support/system/run_log.h"
#include "support/text/path_text.h"

namespace {

bool IsFolderEntry(const char16_t* entry) {
  std::u16string_view text(entry);
  return !text.empty() && (text.back() == u'\\' || text.back() == u'/');
}

bool SamePath(const char16_t* a, const char16_t* b) {
  return CompareStringOrdinal(AsWide(a), -1, AsWide(b), -1, TRUE) == CSTR_EQUAL;
}

// Removes the folders above path that are empty now, from the innermost out, stopping at the
// first that is not and at folder itself. path lies inside folder: it passed JoinEntryPath.
void RemoveEmptyParents(const char16_t* path, const std::u16string& folder) {
  std::u16string parent(path);
  if (!parent.empty() && parent.back() == u'\\') parent.pop_back();
  for (;;) {
    const size_t separator = parent.rfind(u'\\');
    if (separator == std::u16string::npos || separator < folder.size()) return;
    parent.resize(separator);
    if (!RemoveEmptyFolder(parent.c_str())) return;
    LogLine(u"removed: " + parent);
  }
}

}  // namespace

std::vector<std::u16string> RemoveInstalledFiles(const IUninstInfo& list, const char16_t* folder,
                                                 const char16_t* self) {
  std::vector<std::u16string> left;
  for (int i = list.Count() - 1; i >= 0; --i) {
    const char16_t* entry = list.Get(i);
    char16_t path[kPathCapacity];
    if (!JoinEntryPath(folder, entry, path) || CrossesLink(folder, path)) {
      // Never the product's to remove: dropped rather than kept for ever.
      LogLine(u"refused uninstall entry, dropped: " + std::u16string(entry));
      continue;
    }
    if (SamePath(path, self)) continue;
    // A download or a patch an update left half way beside the file goes with it.
    if (!IsFolderEntry(entry)) {
      RemoveFile((std::u16string(path) + kDownloadStagingSuffix).c_str());
      RemoveFile((std::u16string(path) + kPatchStagingSuffix).c_str());
    }
    const bool removed = RemoveEntryFile(list, i, folder);
    if (removed) LogLine(u"removed: " + std::u16string(path));
    if (removed || IsEntryGone(folder, entry)) {
      RemoveEmptyParents(path, folder);
    } else if (!IsFolderEntry(entry)) {
      // A listed folder that is not empty holds what the user put there, or a file named here.
      left.push_back(entry);
    }
  }
  std::reverse(left.begin(), left.end());
  return left;
}
