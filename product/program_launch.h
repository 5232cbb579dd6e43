#pragma once

class IClientInfo;

// Starting the product's programs: the installed client, and the updater through a copy of it
// in the temporary folder (so that the updater can replace its own file).

// Starts the main path (install folder and main file, or client file), shown, without
// parameters. False when it is not a file or cannot be started.
bool LaunchClient(const IClientInfo& product);

// The path of a program's copy in the temporary folder, "_<app>_<program>_.exe", into out
// (kPathCapacity units): where the product's programs run from when they must replace or remove
// their own file. False for an app name that would lead out of the temporary folder.
bool TempProgramCopyPath(const char16_t* app, const char16_t* program, char16_t* out);

// Copies "update.exe" from the running executable's folder to "_<app>_update_.exe" in the
// temporary folder, replacing an older copy, and starts the copy, shown, with "silent". False,
// with nothing copied, when there is no updater beside the running executable.
bool RunUpdater(const IClientInfo& product);

// Deletes that temporary copy; false when there is none or it cannot be deleted.
bool DeleteTempUpdater(const IClientInfo& product);
