#include "product/listed_files.h"

#include <vector>

#include "records/update_info.h"
#include "support/core/fixed_wstring.h"
#include "support/crypto/md5.h"
#include "support/crypto/sha256.h"
#include "support/files/entry_path.h"
#include "support/files/file_size.h"
#include "support/files/folder_listing.h"
#include "support/http/url_parts.h"
#include "support/text/path_text.h"

namespace {

// Deeper trees than this are not client folders; the limit also ends any cycle the listing
// could not recognise as a link.
constexpr int kMaxDepth = 64;

using Text512 = FixedWString<512>;

// Appends the separator unless the text is empty or already ends with it.
void EndWith(Text512& text, char16_t separator) {
  if (!text.Empty() && text.Units()[text.Length() - 1] != separator) text.Append(&separator, 1);
}

// base + name, or false when that would not fit whole: a cut path is a different path.
bool Join(Text512& out, const Text512& base, const std::u16string& name) {
  out = base;
  int count = static_cast<int>(name.size());
  return out.Append(name.c_str(), count) == count;
}

// below: the "/"-separated path of folder below the one AddFolderToList was given, ending in "/".
int AddFolderLevel(IUpdateInfo& list, const std::u16string& urlBase, const std::u16string& below,
                   const Text512& folder, const Text512& prefix, int depth,
                   const std::function<void(uint64_t)>& fileRead) {
  if (depth > kMaxDepth) return 0;
  int met = 0;
  std::vector<FolderEntry> entries;
  ListFolder(folder.Units(), entries);
  for (const FolderEntry& entry : entries) {
    // A link could lead out of the folder or round in a loop: only what lies in the tree.
    const bool isFolder = entry.kind == FolderEntryKind::kFolder;
    if (!isFolder && entry.kind != FolderEntryKind::kFile) continue;
    Text512 path, relative;
    if (!Join(path, folder, entry.name) || !Join(relative, prefix, entry.name)) continue;
    if (isFolder) {
      EndWith(path, u'\\');
      EndWith(relative, u'\\');
      met += AddFolderLevel(list, urlBase, below + entry.name + u"/", path, relative, depth + 1,
                            fileRead);
      continue;
    }
    ++met;
    // An item keeps no longer URL; a cut one would name another file.
    const std::u16string url = ListedFileUrl(urlBase, below + entry.name);
    if (url.size() >= static_cast<size_t>(UpdateItem::kUrlCapacity)) continue;
    char16_t md5[33] = {};
    char16_t sha256[kSha256HexDigits + 1] = {};
    const bool read = entry.size <= INT64_MAX && Md5HexOfFile(md5, path.Units(), true) &&
                      Sha256HexOfFile(sha256, path.Units());
    if (fileRead) fileRead(entry.size);
    if (!read) continue;
    list.AddItem(NewFileItem(relative.Units(), static_cast<int64_t>(entry.size), md5, sha256,
                             url.c_str()));
  }
  return met;
}

// True when a and b both hold exactly digits hexadecimal digits, the same ones whatever their
// letter case.
bool SameHexDigits(const char16_t* a, const char16_t* b, int digits) {
  for (int i = 0; i < digits; ++i) {
    char16_t x = a[i] >= u'a' && a[i] <= u'f' ? static_cast<char16_t>(a[i] - 32) : a[i];
    char16_t y = b[i] >= u'a' && b[i] <= u'f' ? static_cast<char16_t>(b[i] - 32) : b[i];
    if (x != y || x == 0) return false;
  }
  return a[digits] == 0 && b[digits] == 0;
}

// Whether the digest that digestOf computes (the SHA-256 when the item has one, else the MD5,
// as upper-case digits) is the item's.
template <typename DigestOf>
bool HasItemDigest(const UpdateItem& item, DigestOf digestOf) {
  char16_t digest[kSha256HexDigits + 1] = {};
  if (item.sha256[0] != 0) return digestOf(digest, true) && SameSha256Text(digest, item.sha256);
  return digestOf(digest, false) && SameDigestText(digest, item.md5);
}

}  // namespace

bool SameDigestText(const char16_t* a, const char16_t* b) { return SameHexDigits(a, b, 32); }

bool SameSha256Text(const char16_t* a, const char16_t* b) {
  return SameHexDigits(a, b, kSha256HexDigits);
}

// Item names are data from a published list: one that would reach outside the folder fails.
bool VerifyUpdateItem(const char16_t* folder, const UpdateItem& item) {
  char16_t path[kPathCapacity];
  return JoinEntryPath(folder, item.file.c_str(), path) && FileMatchesUpdateItem(item, path);
}

bool FileMatchesUpdateItem(const UpdateItem& item, const char16_t* path) {
  uint64_t size = 0;
  return GetFileSize(path, &size) && size == static_cast<uint64_t>(item.size) &&
         item.size >= 0 && HasItemDigest(item, [path](char16_t* digest, bool sha256) {
           return sha256 ? Sha256HexOfFile(digest, path) : Md5HexOfFile(digest, path, true);
         });
}

bool MatchesUpdateItem(const UpdateItem& item, const uint8_t* bytes, uint32_t n) {
  return bytes != nullptr && item.size > 0 && static_cast<uint64_t>(item.size) == n &&
         HasItemDigest(item, [bytes, n](char16_t* digest, bool sha256) {
           return sha256 ? Sha256HexOfMemory(digest, bytes, n) : Md5HexOfMemory(digest, bytes, n);
         });
}

std::u16string ListedFileUrl(const std::u16string& urlBase, const std::u16string& path) {
  std::u16string url = urlBase;
  if (!url.empty() && url.back() != u'/') url += u'/';
  for (size_t start = 0;;) {
    const size_t end = path.find(u'/', start);
    url += EscapedPathSegment(path.substr(start, end - start));
    if (end == std::u16string::npos) return url;
    url += u'/';
    start = end + 1;
  }
}

int AddFolderToList(IUpdateInfo& list, const char16_t* urlBase, const char16_t* folder,
                    const char16_t* prefix, const std::function<void(uint64_t)>& fileRead) {
  if (urlBase == nullptr || folder == nullptr || urlBase[0] == 0 || folder[0] == 0) return 0;
  Text512 path, relative;
  path.Assign(folder);
  relative.Assign(prefix);
  EndWith(path, u'\\');
  EndWith(relative, u'\\');
  return AddFolderLevel(list, urlBase, u"", path, relative, 0, fileRead);
}

bool VerifyListedFiles(const IUpdateInfo& list, const char16_t* folder, int* failingIndex) {
  if (folder == nullptr) return false;
  for (int i = 0; i < list.Count(); ++i) {
    if (!VerifyUpdateItem(folder, *list.Get(i))) {
      if (failingIndex != nullptr) *failingIndex = i;
      return false;
    }
  }
  return true;
}
