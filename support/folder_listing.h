#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The entries of one folder, portable, sorted by name so that whatever walks them (the update
// list's builder, the packager) gives the same order in every build. Symbolic links and other
// special files are left out, so a walk cannot loop or leave the tree.
struct FolderEntry {
  std::u16string name;
  bool isFolder;
  uint64_t size;
};

// Empty when the folder cannot be read.
std::vector<FolderEntry> ListFolder(const char16_t* folder);
