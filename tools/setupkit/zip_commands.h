#pragma once

#include <string>

// setupkit zip FOLDER OUT: writes FOLDER's files and folders as a zip archive whose every entry
// is encrypted with the archive password. Entry names are relative, "/"-separated, in UTF-8 with
// the language-encoding flag (bit 11) set; folders are entries ending in "/" with attribute
// 0x10. Entries come in byte order of their names and carry one fixed time, so the same folder
// always makes the same archive, byte for byte. An empty folder is refused (minizip cannot read
// an archive without entries). On failure OUT is not left behind.
int ZipCommand(const std::u16string& folder, const std::u16string& out);
