#include <windows.h>

#include <string>

#include "support/core/find_handle_windows.h"
#include "support/core/wide_text.h"
#include "support/files/folder_listing_unsorted.h"

namespace {

// The attributes FindFirstFileW reports tell a link without following it; the C++ library's
// own walk on this platform cannot.
FolderEntryKind KindOf(DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return FolderEntryKind::kLink;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return FolderEntryKind::kFolder;
  if (attributes & FILE_ATTRIBUTE_DEVICE) return FolderEntryKind::kOther;
  return FolderEntryKind::kFile;
}

bool IsDotOrDotDot(const std::u16string& name) { return name == u"." || name == u".."; }

}  // namespace

bool ListFolderUnsorted(const char16_t* folder, std::vector<FolderEntry>& entries) {
  std::u16string pattern(folder);
  if (pattern.back() != u'\\' && pattern.back() != u'/') pattern += u'\\';
  pattern += u'*';
  WIN32_FIND_DATAW found;
  FindHandle find(FindFirstFileW(AsWide(pattern.c_str()), &found));
  if (find.get() == INVALID_HANDLE_VALUE) {
    find.release();
    return false;
  }
  do {
    FolderEntry entry{AsUtf16(found.cFileName), KindOf(found.dwFileAttributes), 0, true};
    if (IsDotOrDotDot(entry.name)) continue;
    if (entry.kind == FolderEntryKind::kFile) {
      entry.size = static_cast<uint64_t>(found.nFileSizeHigh) << 32 | found.nFileSizeLow;
    }
    entries.push_back(std::move(entry));
  } while (FindNextFileW(find.get(), &found));
  return GetLastError() == ERROR_NO_MORE_FILES;
}
