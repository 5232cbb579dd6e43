#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CUpdateInfo;

// What a folder holds for its update list, told without reading the files.
struct FolderScan {
  int files = 0;
  uint64_t bytes = 0;
  std::vector<std::u16string> emptyFiles;
  std::u16string oversized;  // the first file whose size the list cannot hold
};
FolderScan ScanFolder(const std::u16string& folder);

// Adds every file below folder, of which scan tells, to list as the list's own AddFolder does,
// with a progress line on a terminal while the files are read for their digests. False when the
// folder holds none.
bool AddListedFolder(CUpdateInfo& list, const std::u16string& urlBase,
                     const std::u16string& folder, const FolderScan& scan);

// setupkit list FOLDER URLBASE OUT [--version V] [--packed]: writes the update list ("update.xml")
// of every file below FOLDER, each downloaded from URLBASE followed by its relative path, in the
// plain or the packed stored form. Empty files cannot be listed and are reported on stderr; a
// missing or empty folder, a file too large for the list, or one that cannot be read, fails
// without creating OUT.
int ListCommand(const std::u16string& folder, const std::u16string& urlBase,
                const std::u16string& out, const std::u16string& version, bool packed);

// When bytes are an update list, or an uninstall list ("uninst.dat"), prints it as UTF-8 text
// (the list's own lines, or one entry a line) and sets *status; false for anything else.
bool ShowListFile(const uint8_t* bytes, uint32_t n, int* status);
