#pragma once

#include <cstdint>
#include <string>
#include <vector>

// How deep a client or skin folder may go, counted in folders below the one given: deeper trees
// are not client folders, and the update list's own walk stops there.
constexpr int kMaxFolderDepth = 64;

// One file or folder below a folder that setupkit packs or lists.
struct WalkedEntry {
  std::u16string path;      // the folder given joined with the relative path, to read it by
  std::u16string relative;  // below the folder, "/"-separated
  bool isFolder;
  uint64_t size;  // of a file; 0 for a folder
};

// Every file and folder below folder, each folder before what it holds, in name order within a
// folder; the same in both builds. False, with one line in problem naming the entry and why, at
// the first one the installer could not put in place as it is: a link (to a folder or a file:
// what it points to lies outside the folder, perhaps far outside), anything that is neither a
// file nor a folder, a name Windows cannot hold (not text, ":", "\", a trailing dot or space, a
// device name, ...), a name that is one with an earlier sibling's to Windows (which ignores
// case) or one the installer keeps for its own files (InstallerNameProblem), a path below the
// folder too long to install, an entry more than kMaxFolderDepth folders deep, or a folder that
// cannot be read.
bool WalkFolder(const std::u16string& folder, std::vector<WalkedEntry>& entries,
                std::string& problem);

// The line for an entry that cannot be packed: the folder as given, "/", the relative path, and
// the reason.
std::string EntryProblem(const std::u16string& folder, const std::u16string& relative,
                         const std::string& reason);
