#pragma once

#include <cstdint>
#include <string>

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
