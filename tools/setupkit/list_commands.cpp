#include "tools/setupkit/list_commands.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <vector>

#include "records/uninst_info.h"
#include "records/update_info.h"
#include "support/byte_order_mark.h"
#include "support/entry_path.h"
#include "support/filesystem_path.h"
#include "support/folder_listing.h"
#include "support/packed_container.h"
#include "support/path_text.h"
#include "support/xdata.h"
#include "tools/setupkit/progress_line.h"
#include "tools/setupkit/tool_output.h"

namespace {

// As deep as the list's own folder walk goes.
constexpr int kMaxDepth = 64;

void ScanLevel(const std::u16string& folder, int depth, FolderScan& scan) {
  if (depth > kMaxDepth) return;
  for (const FolderEntry& entry : ListFolder(folder.c_str())) {
    std::u16string path = folder + u"\\" + entry.name;
    if (entry.isFolder) {
      ScanLevel(path, depth + 1, scan);
      continue;
    }
    ++scan.files;
    scan.bytes += entry.size;
    if (entry.size == 0) scan.emptyFiles.push_back(path);
    if (entry.size > INT32_MAX && scan.oversized.empty()) scan.oversized = path;
  }
}

bool IsFolder(const std::u16string& path) {
  std::error_code error;
  return std::filesystem::is_directory(ToFilesystemPath(path.c_str()), error);
}

// The entries of a plain "uninst.dat": the UTF-16LE mark, then entries each followed by "|", on
// no lines of their own (the mark alone is the empty list). Client records are lines of
// "key=value;", so the two never meet.
bool ParseUninstallList(const uint8_t* bytes, uint32_t n, CUninstInfo& list) {
  if (n < 2 || n % 2 != 0 || DetectBom(bytes, n) != kBomUtf16Le) return false;
  if (n == 2) return true;
  std::u16string text;
  for (uint32_t i = 2; i < n; i += 2) {
    char16_t unit = static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8);
    if (unit == 0 || unit == u'\r' || unit == u'\n') return false;
    text += unit;
  }
  return text.back() == u'|' && list.ParseText(text.c_str());
}

}  // namespace

FolderScan ScanFolder(const std::u16string& folder) {
  FolderScan scan;
  ScanLevel(folder, 0, scan);
  return scan;
}

bool AddListedFolder(CUpdateInfo& list, const std::u16string& urlBase,
                     const std::u16string& folder, const FolderScan& scan) {
  ProgressLine progress("listing " + Shown(folder), static_cast<uint64_t>(scan.files), scan.bytes);
  return list.AddFolder(urlBase.c_str(), folder.c_str(), u"",
                        [&progress](uint64_t bytes) { progress.Advance(bytes); }) != 0;
}

int ListCommand(const std::u16string& folder, const std::u16string& urlBase,
                const std::u16string& out, const std::u16string& version, bool packed) {
  if (!IsFolder(folder)) return Fail(Shown(folder) + " is not a folder");
  if (urlBase.empty()) return Fail("the URL base is empty");
  const FolderScan scan = ScanFolder(folder);
  if (!scan.oversized.empty()) {
    return Fail(Shown(scan.oversized) + " is too large for an update list (2 GB at most)");
  }
  int listed = scan.files - static_cast<int>(scan.emptyFiles.size());
  if (listed == 0) return Fail(Shown(folder) + " holds no files to list");
  if (listed > IUpdateInfo::kMaxItems) {
    return Fail(Shown(folder) + " holds more than " + std::to_string(IUpdateInfo::kMaxItems) +
                " files, more than an update list takes");
  }
  for (const std::u16string& empty : scan.emptyFiles) {
    std::fprintf(stderr, "setupkit: %s is empty; an update list holds no empty files\n",
                 Shown(empty).c_str());
  }

  CUpdateInfo list;
  list.SetVersion(version.c_str());
  AddListedFolder(list, urlBase, folder, scan);
  if (list.Count() != listed) {
    return Fail("cannot list every file of " + Shown(folder) +
                " (unreadable, or its path or URL too long)");
  }
  // The installer takes a listed name only when it names a file inside the install folder on
  // Windows; names that other file systems allow (a trailing dot, ":", a device name) would make
  // a list no client could be updated with.
  for (int i = 0; i < list.Count(); ++i) {
    char16_t path[kPathCapacity];
    if (!JoinEntryPath(u"C:\\", list.Get(i)->file, path)) {
      return Fail(Shown(list.Get(i)->file) + " is not a name Windows can install");
    }
  }
  XData stored;
  if (!stored.Reserve(list.SaveBufferSize(), true)) {
    return Fail("out of memory writing " + Shown(out));
  }
  uint32_t size = list.Serialize(stored.Data(), stored.Capacity(), packed);
  if (size == 0) return Fail("cannot store the update list of " + Shown(folder));
  if (!WriteOutputFile(out, stored.Data(), size)) return Fail("cannot write " + Shown(out));
  return kExitDone;
}

bool ShowListFile(const uint8_t* bytes, uint32_t n, int* status) {
  CUpdateInfo updateList;
  if (updateList.ParseBytes(bytes, n)) {
    std::vector<char16_t> text(static_cast<size_t>(updateList.Count() + 1) *
                               IUpdateInfo::kUnitsPerItem);
    int units = updateList.WriteText(text.data(), static_cast<int>(text.size()));
    *status = units > 0 ? PrintText(std::u16string(text.data(), units - 1))
                        : Fail("cannot write the update list's text");
    return true;
  }
  CUninstInfo uninstallList;
  if (!HasContainerMarker(bytes, n) && ParseUninstallList(bytes, n, uninstallList)) {
    std::u16string text;
    for (int i = 0; i < uninstallList.Count(); ++i) {
      text += std::u16string(uninstallList.Get(i)) + u"\r\n";
    }
    *status = PrintText(text);
    return true;
  }
  return false;
}
