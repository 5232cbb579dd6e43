#include "tools/setupkit/list_deltas.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "product/listed_files.h"
#include "records/update_info.h"
#include "support/crypto/sha256.h"
#include "support/delta/file_patch.h"
#include "support/files/file_stream.h"
#include "support/text/utf8.h"
#include "tools/setupkit/published_folder.h"
#include "tools/setupkit/tool_output.h"

namespace {

namespace fs = std::filesystem;

constexpr char16_t kListName[] = u"update.xml";

// An earlier version: its list and the folder its files are found below.
struct EarlierVersion {
  fs::path folder;
  CUpdateInfo list;
};

// The folder's "update.xml": at its top, else the first below it in name order (a publish
// folder keeps it where the "config" URL leads).
bool ReadEarlierVersion(const std::u16string& folder, EarlierVersion& version) {
  version.folder = fs::path(folder);
  std::error_code error;
  fs::path list = version.folder / kListName;
  if (!fs::is_regular_file(list, error)) {
    std::vector<fs::path> found;
    for (auto it = fs::recursive_directory_iterator(version.folder, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
      if (it->path().filename() == kListName && it->is_regular_file(error)) {
        found.push_back(it->path());
      }
    }
    if (found.empty()) return false;
    list = *std::min_element(found.begin(), found.end());
  }
  return version.list.LoadFromFile(list.u16string().c_str());
}

const UpdateItem* FindItem(const CUpdateInfo& list, const std::u16string& file) {
  for (int i = 0; i < list.Count(); ++i) {
    const UpdateItem* item = list.Get(i);
    if (item->action == UpdateItem::kActionUpdate && item->file == file) return item;
  }
  return nullptr;
}

// The earlier file of item below folder, where a client folder keeps it (its relative path) or a
// publish folder does (the end of its URL's path below the folder), found by its size.
fs::path FindEarlierFile(const fs::path& folder, const UpdateItem& item) {
  std::vector<fs::path> candidates{folder / fs::path(SlashedPathOf(item))};
  std::string path;
  if (DecodedUrlPath(item.url, path)) {
    for (size_t at = 0; at != std::string::npos; at = path.find('/', at + 1)) {
      candidates.push_back(folder / fs::u8path(path.substr(at == 0 ? 0 : at + 1)));
    }
  }
  for (const fs::path& candidate : candidates) {
    std::error_code error;
    if (fs::is_regular_file(candidate, error) &&
        fs::file_size(candidate, error) == static_cast<uintmax_t>(item.size)) {
      return candidate;
    }
  }
  return {};
}

bool HasDeltaFrom(const UpdateItem& item, const char16_t* from) {
  return std::any_of(item.deltas.begin(), item.deltas.end(),
                     [from](const ItemDelta& delta) { return SameSha256Text(delta.from, from); });
}

}  // namespace

std::u16string SlashedPathOf(const UpdateItem& item) {
  std::u16string path = item.file;
  std::replace(path.begin(), path.end(), u'\\', u'/');
  return path;
}

PatchFileOf PatchFileIn(const std::u16string& folder) {
  return [folder](const UpdateItem& item, const char16_t* from) {
    return (fs::path(folder) / fs::path(SlashedPathOf(item))).u16string() + u"." + from +
           u".patch";
  };
}

bool AddListDeltas(CUpdateInfo& list, const std::vector<std::u16string>& previous,
                   const NewFileOf& newFileOf, const PatchFileOf& patchFileOf,
                   std::string& problem) {
  std::vector<EarlierVersion> versions(previous.size());
  for (size_t i = 0; i < previous.size(); ++i) {
    if (!ReadEarlierVersion(previous[i], versions[i])) {
      problem = "--previous " + Shown(previous[i]) + " holds no update list (update.xml) to read";
      return false;
    }
  }
  for (int i = 0; i < list.Count(); ++i) {
    UpdateItem& item = *list.Edit(i);
    if (item.action != UpdateItem::kActionUpdate) continue;
    for (const EarlierVersion& version : versions) {
      const UpdateItem* earlier = FindItem(version.list, item.file);
      if (earlier == nullptr || earlier->size <= 0 ||
          !CanPatch(static_cast<uint64_t>(earlier->size), static_cast<uint64_t>(item.size))) {
        continue;
      }
      const fs::path earlierFile = FindEarlierFile(version.folder, *earlier);
      ItemDelta delta;
      if (earlierFile.empty() || !Sha256HexOfFile(delta.from, earlierFile.u16string().c_str()) ||
          SameSha256Text(delta.from, item.sha256) || HasDeltaFrom(item, delta.from) ||
          item.deltas.size() >= static_cast<size_t>(IUpdateInfo::kMaxDeltasPerItem)) {
        continue;
      }
      const std::u16string patch = patchFileOf(item, delta.from);
      std::error_code error;
      fs::create_directories(fs::path(patch).parent_path(), error);
      if (!MakeFilePatch(earlierFile.u16string().c_str(), newFileOf(item).c_str(), patch.c_str(),
                         &problem)) {
        problem = "cannot make the patch of " + Shown(item.file) + " from " +
                  Shown(earlierFile.u16string()) + ": " + problem;
        return false;
      }
      // A patch of half the file or more saves too little to be worth a second try.
      delta.size = static_cast<int64_t>(fs::file_size(fs::path(patch), error));
      if (error || delta.size >= item.size / 2 ||
          !Sha256HexOfFile(delta.sha256, patch.c_str())) {
        RemoveFile(patch.c_str());
        continue;
      }
      item.deltas.push_back(delta);
    }
  }
  return true;
}
