#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CUpdateInfo;

// What a folder holds for its update list under urlBase, told without reading the files.
struct FolderScan {
  int files = 0;
  uint64_t bytes = 0;
  std::vector<std::u16string> emptyFiles;
  // The line WalkFolder refused the folder with, or one naming the first file whose URL
  // (ListedFileUrl) is longer than an item keeps; then nothing else.
  std::string problem;
};
FolderScan ScanFolder(const std::u16string& folder, const std::u16string& urlBase);

// Adds every file below folder, of which scan tells, to list as AddFolderToList does, with a
// progress line on a terminal while the files are read for their digests. False when the folder
// holds none.
bool AddListedFolder(CUpdateInfo& list, const std::u16string& urlBase,
                     const std::u16string& folder, const FolderScan& scan);

// setupkit list FOLDER URLBASE OUT [--version V] [--packed] [--sign-key SECRET]
// [--previous DIR]...: writes the
// update list ("update.xml") of every file below FOLDER, each with its size, MD5 and SHA-256 and
// downloaded from URLBASE followed by its relative path, in the plain or the packed stored form.
// With a secret key (signKey not empty) the detached signature of OUT's exact bytes goes beside
// it (SignatureFileOf); without one a warning says that OUT cannot be authenticated. Empty files
// cannot be listed and are reported on stderr; a missing or empty folder, anything WalkFolder
// refuses, a file that cannot be read, or a secret key that is not one fails without creating
// OUT. Each earlier version in previous (AddListDeltas) adds the patches from its files, written
// below OUT's folder at each file's relative path followed by ".<old SHA-256>.patch", where the
// file's URL below URLBASE leads when OUT's folder is served at URLBASE.
int ListCommand(const std::u16string& folder, const std::u16string& urlBase,
                const std::u16string& out, const std::u16string& version, bool packed,
                const std::u16string& signKey, const std::vector<std::u16string>& previous);

// setupkit show LIST --public-key FILE: prints the update list LIST as show does, then whether
// the signature beside it (SignatureFileOf) is FILE's key's signature of LIST's bytes: a line on
// stdout and status 0 when it is, a line on stderr and status 1 when it is not.
int ShowSignedListCommand(const std::u16string& list, const std::u16string& publicKey);

// When bytes are an update list, or an uninstall list ("uninst.dat"), prints it as UTF-8 text
// (the list's own lines, or one entry a line) and sets *status; false for anything else.
bool ShowListFile(const uint8_t* bytes, uint32_t n, int* status);
