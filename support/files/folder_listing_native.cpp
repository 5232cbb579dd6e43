#include <filesystem>
#include <string>
#include <system_error>

#include "support/files/filesystem_path.h"
#include "support/files/folder_listing_unsorted.h"
#include "support/text/utf8.h"

namespace {

namespace fs = std::filesystem;

FolderEntryKind KindOf(const fs::file_status& status) {
  if (fs::is_symlink(status)) return FolderEntryKind::kLink;
  if (fs::is_directory(status)) return FolderEntryKind::kFolder;
  if (fs::is_regular_file(status)) return FolderEntryKind::kFile;
  return FolderEntryKind::kOther;
}

}  // namespace

bool ListFolderUnsorted(const char16_t* folder, std::vector<FolderEntry>& entries) {
  std::error_code error;
  fs::directory_iterator it(ToFilesystemPath(folder), error);
  for (; !error && it != fs::directory_iterator(); it.increment(error)) {
    // The link itself, never what it points to.
    const fs::file_status status = it->symlink_status(error);
    if (error) return false;
    const std::string name = it->path().filename().string();
    FolderEntry entry{Utf8ToUtf16(name), KindOf(status), 0, IsValidUtf8(name.data(), name.size())};
    if (entry.kind == FolderEntryKind::kFile) {
      entry.size = it->file_size(error);
      if (error) return false;
    }
    entries.push_back(std::move(entry));
  }
  return !error;
}
