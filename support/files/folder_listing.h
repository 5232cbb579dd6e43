#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The entries of one folder, sorted by name so that whatever walks them (the update list's
// builder, the packager) gives the same order in every build. Links are told apart from what
// they point to, so a walk need never follow one out of the tree or round in a loop.

enum class FolderEntryKind {
  kFile,
  kFolder,
  kLink,   // a symbolic link or junction, to a folder or to a file
  kOther,  // a device, pipe or socket
};

struct FolderEntry {
  std::u16string name;
  FolderEntryKind kind;
  uint64_t size;  // of a file; 0 for anything else
  // False for a name that is no whole text: bytes that are no UTF-8 (outside Windows; name then
  // shows them as U+FFFD), a lone surrogate, or U+FFFD itself, which is what such bytes become
  // when a layer below (Wine) decodes them before this build sees the name.
  bool nameIsText;
};

// False, with entries empty, when the folder cannot be read.
bool ListFolder(const char16_t* folder, std::vector<FolderEntry>& entries);
