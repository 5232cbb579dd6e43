#include "support/folder_listing.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "support/filesystem_path.h"

#ifndef _WIN32
#include "support/utf8.h"
#endif

namespace {

std::u16string NameOf(const std::filesystem::path& path) {
#ifdef _WIN32
  return path.filename().u16string();
#else
  return Utf8ToUtf16(path.filename().string());
#endif
}

}  // namespace

std::vector<FolderEntry> ListFolder(const char16_t* folder) {
  std::vector<FolderEntry> entries;
  if (folder == nullptr || folder[0] == 0) return entries;
  std::error_code error;
  std::filesystem::directory_iterator it(ToFilesystemPath(folder), error);
  for (; !error && it != std::filesystem::directory_iterator(); it.increment(error)) {
    std::filesystem::file_status status = it->symlink_status(error);
    if (error) break;
    if (std::filesystem::is_symlink(status)) continue;
    bool isFolder = std::filesystem::is_directory(status);
    if (!isFolder && !std::filesystem::is_regular_file(status)) continue;
    uint64_t size = isFolder ? 0 : it->file_size(error);
    if (error) break;
    entries.push_back({NameOf(it->path()), isFolder, size});
  }
  if (error) entries.clear();
  std::sort(entries.begin(), entries.end(),
            [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
  return entries;
}
