#pragma once

#include <string>
#include <vector>

// setupkit build --config FILE --client FOLDER [--skin FOLDER] [--theme FILE] [--download]
// [--no-uninstaller] [--no-updater] [--stub PATH] [--sign-pkcs12 FILE [--timestamp-url URL]]
// [--publish DIR] [--sign-key SECRET] -o SETUP.exe: writes the installer stub (setup.exe beside
// setupkit unless --stub names another) to SETUP.exe with the payload archive as resource "TAIL" 1
// and the configuration (read as setupkit config reads it) as resource "APP" 1, both packed, and
// the stub's size. The same inputs always give the same bytes. Without a "source" in the
// configuration the payload has no update list, which a one-line notice on stderr says, and
// --download and --publish (and --sign-key) are refused. The client gets the uninstaller and the
// updater built beside the stub (unins000.exe, update.exe), each carrying the configuration as its
// "APP" resource, unless its folder holds a file of that name or an option leaves it out; in
// download mode they come only from the published files, and a notice says when the folder lacks
// one. With --sign-pkcs12 both programs are signed before they are packed and listed, and the
// installer last; --publish writes the folder a web server serves the client's files and list from.
// With --sign-key the update list's signature "update.xml.sig" goes beside it in the payload and
// the published folder, and the key's public half into SETUP.exe and the updater as resource "KEY"
// 1; without it, a warning says that the published files cannot be authenticated. On any failure
// SETUP.exe is not left behind.
int BuildCommand(const std::vector<std::u16string>& arguments);
