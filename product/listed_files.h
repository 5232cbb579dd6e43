#pragma once

#include <cstdint>
#include <functional>
#include <string>

class IUpdateInfo;
struct UpdateItem;

// The files an update list names, on disk: a list made of a folder's files, and files checked
// against their items.

// The URL a listed file is downloaded from: urlBase, a "/" unless it ends in one, and the file's
// "/"-separated path below the listed folder, each name in it escaped as EscapedPathSegment does,
// since any server takes it for the file's name only so.
std::u16string ListedFileUrl(const std::u16string& urlBase, const std::u16string& path);

// Adds every file below folder to list with its size, MD5 and SHA-256 (relative names get
// prefix; URLs are ListedFileUrl's, and a file whose URL an item cannot keep is passed over),
// calling fileRead, when given, with the size of every file it has
// read, for a progress display. Returns the number of files met, including empty ones, which are
// not added.
int AddFolderToList(IUpdateInfo& list, const char16_t* urlBase, const char16_t* folder,
                    const char16_t* prefix,
                    const std::function<void(uint64_t)>& fileRead = nullptr);

// True when every item's file below folder passes VerifyUpdateItem; otherwise the first failing
// index goes to *failingIndex (when given).
bool VerifyListedFiles(const IUpdateInfo& list, const char16_t* folder, int* failingIndex);

// An item's file is checked by its size and by one digest: its SHA-256 when the item has one,
// otherwise its MD5.

// True when the item's file below folder has the item's size and digest. An item whose name would
// lead outside the folder never passes.
bool VerifyUpdateItem(const char16_t* folder, const UpdateItem& item);

// True when the file at path is the item's file: its size and its digest. For a download
// checked where it landed, before it takes the item's place.
bool FileMatchesUpdateItem(const UpdateItem& item, const char16_t* path);

// True when bytes (n of them, at least one) are the item's file: its size and its digest.
bool MatchesUpdateItem(const UpdateItem& item, const uint8_t* bytes, uint32_t n);

// True when both are the same 32 hexadecimal digits, ignoring letter case.
bool SameDigestText(const char16_t* a, const char16_t* b);

// True when both are the same 64 hexadecimal digits, ignoring letter case.
bool SameSha256Text(const char16_t* a, const char16_t* b);
