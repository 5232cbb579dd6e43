#include "uninstaller/installed_files_removal.h"

#include <windows.h>

#include <algorithm>
#include <string_view>
#include <unordered_map>

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

// The folder whose emptiness removing entry may change first: the one holding it.
std::u16string_view HoldingFolder(const char16_t* entry) {
  std::u16string_view text(entry);
  if (IsFolderEntry(entry)) text.remove_suffix(1);
  const size_t separator = text.find_last_of(u"\\/");
  return separator == std::u16string_view::npos ? std::u16string_view() : text.substr(0, separator);
}

// Whether the folder holding path has a name ending with "~", as an update's download or patch
// left half way beside a file has: looked for once a folder, since under Wine a name that is not
// there costs a look through its whole folder, which two looks for every file would pay.
class LeftoverLooks {
 public:
  bool MayHold(const char16_t* path) {
    const std::u16string folder = ParentFolderOf(path);
    const auto known = folders_.find(folder);
    if (known != folders_.end()) return known->second;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileExW(AsWide((folder + u"*~").c_str()), FindExInfoBasic,
                                           &found, FindExSearchNameMatch, nullptr, 0);
    const bool holds = search != INVALID_HANDLE_VALUE;
    if (holds) FindClose(search);
    folders_.emplace(folder, holds);
    return holds;
  }

 private:
  std::unordered_map<std::u16string, bool> folders_;
};

}  // namespace

std::vector<std::u16string> RemoveInstalledFiles(const IUninstInfo& list, const char16_t* folder,
                                                 const char16_t* self) {
  std::vector<std::u16string> left;
  LeftoverLooks leftovers;
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
    if (!IsFolderEntry(entry) && leftovers.MayHold(path)) {
      RemoveFile((std::u16string(path) + kDownloadStagingSuffix).c_str());
      RemoveFile((std::u16string(path) + kPatchStagingSuffix).c_str());
    }
    const bool removed = RemoveEntryFile(list, i, folder);
    if (removed) LogLine(u"removed: " + std::u16string(path));
    // The folders above are looked at once the last entry in them has gone: a failed removal of
    // a folder is a round trip to the system, and the next entry in the same one would keep it.
    const bool lastInItsFolder = i == 0 || HoldingFolder(list.Get(i - 1)) != HoldingFolder(entry);
    if (removed || IsEntryGone(folder, entry)) {
      if (lastInItsFolder) RemoveEmptyParents(path, folder);
    } else if (!IsFolderEntry(entry)) {
      // A listed folder that is not empty holds what the user put there, or a file named here.
      left.push_back(entry);
    }
  }
  std::reverse(left.begin(), left.end());
  return left;
}
