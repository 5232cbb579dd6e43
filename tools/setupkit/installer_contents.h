#pragma once

#include <string>

// setupkit inspect SETUP.exe: prints the installer's configuration, the payload's entries with
// their sizes, its mode (archive, or download when it carries no "app.zip"), the size of the
// stub it was built from, and whose signature the installer and each program of its client
// archive carry.
int InspectCommand(const std::u16string& exe);
