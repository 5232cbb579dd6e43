#include "tools/setupkit/published_folder.h"

#include <filesystem>
#include <system_error>

#include "records/update_info.h"
#include "support/text/utf8.h"
#include "tools/setupkit/list_deltas.h"
#include "tools/setupkit/list_signing.h"
#include "tools/setupkit/tool_output.h"

namespace {

namespace fs = std::filesystem;

constexpr char kDefaultListName[] = "update.xml";

// A URL as a server sees it: its scheme and host, and the segments of its path.
struct UrlPlace {
  std::u16string origin;
  std::vector<std::u16string> segments;
};

char16_t Lower(char16_t unit) { return unit >= u'A' && unit <= u'Z' ? unit + 32 : unit; }

bool SplitUrl(const std::u16string& url, UrlPlace& place) {
  const size_t scheme = url.rfind(u"http://", 0) == 0 ? 7 : url.rfind(u"https://", 0) == 0 ? 8 : 0;
  if (scheme == 0) return false;
  for (char16_t unit : url) {
    if (unit <= u' ' || unit == u'?' || unit == u'#' || unit == u'\\' || unit == 0x7F) return false;
  }
  const size_t pathStart = url.find(u'/', scheme);
  place.origin = url.substr(0, pathStart);
  if (place.origin.size() == scheme) return false;
  for (char16_t& unit : place.origin) unit = Lower(unit);
  place.segments.clear();
  for (size_t at = pathStart; at != std::u16string::npos && at + 1 < url.size();) {
    const size_t end = url.find(u'/', at + 1);
    place.segments.push_back(url.substr(at + 1, end == std::u16string::npos ? end : end - at - 1));
    at = end;
  }
  for (const std::u16string& segment : place.segments) {
    if (segment.empty()) return false;
  }
  return true;
}

int HexDigit(char c) {
  return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                      : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                             : -1;
}

// A path segment as the server names the file: percent escapes decoded, as UTF-8. False for one
// that is no file name in a folder.
bool DecodeSegment(const std::u16string& segment, std::string& name) {
  const std::string encoded = Utf16ToUtf8(segment.c_str());
  name.clear();
  for (size_t i = 0; i < encoded.size(); ++i) {
    if (encoded[i] != '%') {
      name += encoded[i];
      continue;
    }
    const int high = i + 2 < encoded.size() ? HexDigit(encoded[i + 1]) : -1;
    const int low = high >= 0 ? HexDigit(encoded[i + 2]) : -1;
    if (low < 0) return false;
    name += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string("/\\\0", 3)) == std::string::npos &&
         IsValidUtf8(name.data(), name.size());
}

// The segments from first on, decoded and joined with "/".
bool DecodePath(const std::vector<std::u16string>& segments, size_t first, std::string& path) {
  path.clear();
  for (size_t i = first; i < segments.size(); ++i) {
    std::string name;
    if (!DecodeSegment(segments[i], name)) return false;
    path += (path.empty() ? "" : "/") + name;
  }
  return true;
}

std::string Joined(const std::string& folder, const std::string& name) {
  return folder.empty() ? name : folder + "/" + name;
}

// Leaves folder as it was found: gone when it was made here, else empty.
void Clear(const fs::path& folder, bool made) {
  std::error_code error;
  if (made) {
    fs::remove_all(folder, error);
    return;
  }
  for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
    fs::remove_all(entry.path(), error);
  }
}

bool WriteFileAt(const fs::path& path, const std::string& bytes) {
  std::error_code error;
  fs::create_directories(path.parent_path(), error);
  return !error && WriteOutputFile(path.u16string(), reinterpret_cast<const uint8_t*>(bytes.data()),
                                   static_cast<uint32_t>(bytes.size()));
}

// Puts a listed file at target: one of the programs added to the client, or a copy of a file of
// its folder, which is never read whole.
bool PublishListedFile(const PackageSources& sources, const std::u16string& file,
                       const fs::path& target) {
  for (const ArchiveEntry& program : sources.programs) {
    if (Utf8ToUtf16(program.name) == file) return WriteFileAt(target, program.bytes);
  }
  std::u16string relative = file;
  for (char16_t& unit : relative) {
    if (unit == u'\\') unit = u'/';
  }
  std::error_code error;
  fs::create_directories(target.parent_path(), error);
  return !error && fs::copy_file(fs::path(sources.client) / fs::path(relative), target, error);
}

}  // namespace

bool DecodedUrlPath(const std::u16string& url, std::string& path) {
  UrlPlace place;
  return SplitUrl(url, place) && DecodePath(place.segments, 0, path);
}

bool PlanPublishedFolder(const CClientInfo& config, PublishedLayout& layout,
                         std::string& problem) {
  layout = PublishedLayout();
  const std::u16string source = config.GetSource().Units();
  UrlPlace sourcePlace;
  if (!SplitUrl(source, sourcePlace)) {
    problem = "--publish needs \"source\" to be a plain http:// or https:// URL, not " +
              Shown(source);
    return false;
  }
  // The list URLs that share the source's server pull the folder's root up to what they share.
  std::vector<UrlPlace> lists;
  size_t common = sourcePlace.segments.size();
  for (const std::u16string& url : {std::u16string(config.GetConfig().Units()),
                                    std::u16string(config.GetConfig2().Units())}) {
    if (url.empty()) continue;
    UrlPlace place;
    if (!SplitUrl(url, place) || place.segments.empty() || place.origin != sourcePlace.origin) {
      layout.elsewhere.push_back(url);
      continue;
    }
    size_t shared = 0;
    while (shared < common && shared + 1 < place.segments.size() &&
           place.segments[shared] == sourcePlace.segments[shared]) {
      ++shared;
    }
    common = shared;
    lists.push_back(place);
  }
  layout.root = sourcePlace.origin + u"/";
  for (size_t i = 0; i < common; ++i) layout.root += sourcePlace.segments[i] + u"/";
  bool decoded = DecodePath(sourcePlace.segments, common, layout.sourcePath);
  for (const UrlPlace& place : lists) {
    std::string path;
    decoded = decoded && DecodePath(place.segments, common, path);
    layout.listPaths.push_back(path);
  }
  if (!decoded) {
    problem = "--publish cannot name a file after a part of the \"source\" or \"config\" URLs";
    return false;
  }
  return true;
}

bool WritePublishedFolder(const std::u16string& folder, const PackageSources& sources,
                          const CClientInfo& config, const std::string& updateList,
                          const std::string& updateListSignature,
                          std::vector<std::string>& notices, std::string& problem) {
  PublishedLayout layout;
  if (!PlanPublishedFolder(config, layout, problem)) return false;
  CUpdateInfo list;
  if (!list.ParseBytes(reinterpret_cast<const uint8_t*>(updateList.data()),
                       static_cast<uint32_t>(updateList.size()))) {
    problem = "cannot read back the update list to publish it";
    return false;
  }
  const fs::path root(folder);
  std::error_code error;
  const bool existed = fs::exists(root, error);
  if (existed && (!fs::is_directory(root, error) || !fs::is_empty(root, error))) {
    problem = "the folder to publish into, " + Shown(folder) + ", is not empty";
    return false;
  }
  if (!existed && !fs::create_directories(root, error)) {
    problem = "cannot make the folder to publish into, " + Shown(folder);
    return false;
  }
  auto refuse = [&](const std::string& reason) {
    Clear(root, !existed);
    problem = reason;
    return false;
  };

  std::u16string base = config.GetSource().Units();
  if (base.back() != u'/') base += u'/';
  for (int i = 0; i < list.Count(); ++i) {
    const UpdateItem& item = *list.Get(i);
    const std::u16string url = item.url;
    UrlPlace place;
    std::string path;
    if (url.compare(0, base.size(), base) != 0 ||
        !SplitUrl(u"http://host/" + url.substr(base.size()), place) ||
        !DecodePath(place.segments, 0, path)) {
      return refuse("the listed URL " + Shown(url) + " cannot be served as a file below \"source\"");
    }
    const fs::path target = root / fs::u8path(Joined(layout.sourcePath, path));
    if (!PublishListedFile(sources, item.file, target)) {
      return refuse("cannot copy " + Shown(item.file) + " to " + Shown(target.u16string()));
    }
    // Each patch beside its file, where its URL leads.
    for (const ItemDelta& delta : item.deltas) {
      const fs::path patch(PatchFileIn(sources.patches)(item, delta.from));
      const fs::path published(target.u16string() + u"." + delta.from + u".patch");
      if (!fs::copy_file(patch, published, error)) {
        return refuse("cannot copy the patch " + Shown(patch.u16string()) + " to " +
                      Shown(published.u16string()));
      }
    }
  }
  std::vector<std::string> listPaths = layout.listPaths;
  if (listPaths.empty()) listPaths.push_back(kDefaultListName);
  for (const std::string& path : listPaths) {
    const fs::path target = root / fs::u8path(path);
    if (!WriteFileAt(target, updateList)) return refuse("cannot write " + Shown(target.u16string()));
    const fs::path signature = root / fs::u8path(SignatureNameOf(path));
    if (!updateListSignature.empty() && !WriteFileAt(signature, updateListSignature)) {
      return refuse("cannot write " + Shown(signature.u16string()));
    }
  }
  if (config.GetConfig().Empty()) {
    notices.push_back("the configuration has no \"config\" URL, so nothing will fetch " +
                      Shown((root / fs::u8path(listPaths[0])).u16string()));
  }
  for (const std::u16string& url : layout.elsewhere) {
    notices.push_back("serve " + Shown((root / fs::u8path(listPaths[0])).u16string()) +
                      " also at " + Shown(url) + ", which lies outside the published folder");
  }
  notices.push_back("published in " + Shown(folder) + ": upload it so that it is served at " +
                    Shown(layout.root));
  return true;
}
