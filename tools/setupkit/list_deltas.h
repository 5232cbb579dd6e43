#pragma once

#include <functional>
#include <string>
#include <vector>

class CUpdateInfo;
struct UpdateItem;

// Where a new version's file is read from, and where its patch from the earlier file whose
// SHA-256 is from is written.
using NewFileOf = std::function<std::u16string(const UpdateItem& item)>;
using PatchFileOf = std::function<std::u16string(const UpdateItem& item, const char16_t* from)>;

// The item's relative path with "/" between its names, as the file system takes it everywhere.
std::u16string SlashedPathOf(const UpdateItem& item);

// Patches below folder, each at its file's relative path followed by ".<old SHA-256>.patch": in a
// folder served at the list's URL base, the patch's URL (PatchUrlOf) leads there.
PatchFileOf PatchFileIn(const std::u16string& folder);

// For each file of list that changed since an earlier version (each of previous a folder that a
// publish or a client folder left, holding that version's "update.xml" and its files), writes
// the patch from that version's file to the new one and lists it under the item, where it is
// smaller than half the file. Files whose earlier version is missing, or that are larger together
// than a patch's window, get none. False, with a one-line problem, when an earlier folder has no
// update list setupkit can read or a patch cannot be written; patches already written stay, for
// the caller to clear away.
bool AddListDeltas(CUpdateInfo& list, const std::vector<std::u16string>& previous,
                   const NewFileOf& newFileOf, const PatchFileOf& patchFileOf,
                   std::string& problem);
