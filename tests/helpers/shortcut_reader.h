#pragma once

#include <windows.h>

#include <filesystem>
#include <string>

// What a shortcut file holds, read back through the shell's own link object.
struct LinkContent {
  std::u16string target;
  WORD hotKey = 0xFFFF;
};

// {"<unreadable>", 0xFFFF} when the file is missing or not a shortcut.
LinkContent ReadShortcut(const std::filesystem::path& link);

// The path of a shell special folder (a CSIDL_ value); empty when there is none.
std::filesystem::path SpecialFolder(int id);
