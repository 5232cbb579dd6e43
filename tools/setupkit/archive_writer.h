#pragma once

#include <string>
#include <vector>

// Zip archives as the installer reads them, built in memory: every entry encrypted with the
// archive password, names relative, "/"-separated, in UTF-8 with the language-encoding flag
// (bit 11) set; folders are entries ending in "/" with attribute 0x10. Entries carry one fixed
// time and encryption headers drawn from their own name, size and CRC, so the same entries always
// make the same archive, byte for byte, in both builds.

struct ArchiveEntry {
  std::string name;  // UTF-8, with a trailing "/" for folders
  std::string bytes;
  bool folder = false;
  // Stored as it is, neither compressed nor encrypted, so that a reader finds it whole where it
  // lies: only for an archive whose own entries are encrypted (the client archive).
  bool asIs = false;
};

// Reads a folder's files and folders, with their contents, in byte order of their names, with a
// progress line on a terminal, and adds them to entries. False, with one line naming the entry in
// problem and entries as they were, for anything WalkFolder refuses or a file that cannot be
// read.
bool ReadFolderEntries(const std::u16string& folder, std::vector<ArchiveEntry>& entries,
                       std::string& problem);

// Puts entries in byte order of their names, the order ReadFolderEntries gives.
void SortByName(std::vector<ArchiveEntry>& entries);

// The archive of the entries, in their order, with a progress line on a terminal that names it by
// label. An empty list is refused (minizip cannot read an archive without entries back).
bool BuildArchive(const std::vector<ArchiveEntry>& entries, const std::string& label,
                  std::string& archive, std::string& problem);
