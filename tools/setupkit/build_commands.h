#pragma once

#include <string>
#include <vector>

// setupkit build --config FILE --client FOLDER [--skin FOLDER] [--theme FILE] [--download]
// [--no-uninstaller] [--no-updater] [--stub PATH] -o SETUP.exe: copies the installer stub
// (setup.exe beside setupkit.exe unless --stub names another) to SETUP.exe and writes into it the
// payload archive as resource "TAIL" 1 and the configuration (read as setupkit config reads it)
// as resource "APP" 1, both packed, and the stub's size. Without a "source" in the configuration
// the payload has no update list, which a one-line notice on stderr says, and --download is
// refused. The client gets the uninstaller and the updater built beside setupkit.exe
// (unins000.exe, update.exe), each carrying the configuration as its "APP" resource, unless its
// folder holds a file of that name or an option leaves it out; in download mode they come only
// from the published files, and a notice says when the folder lacks one. On any failure
// SETUP.exe is not left behind.
int BuildCommand(const std::vector<std::u16string>& arguments);

// setupkit inspect SETUP.exe: prints the installer's configuration, the payload's entries with
// their sizes, its mode (archive, or download when it carries no "app.zip") and the size of the
// stub it was built from.
int InspectCommand(const std::u16string& exe);
