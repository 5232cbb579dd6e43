#pragma once

class IClientInfo;

// Starting the product's programs: the installed client, and the updater through a copy of it
// in the temporary folder (so that the updater can replace its own file).

// Starts the main path (install folder and main file, or client file), shown, without
// parameters. False when it is not a file or cannot be started.
bool LaunchClient(const IClientInfo& product);

// Copies "update.exe" from the running executable's folder to "_<app>_update_.exe" in the
// temporary folder, replacing an older copy, and starts the copy, shown, with "silent". False,
// with nothing copied, when there is no updater beside the running executable.
bool RunUpdater(const IClientInfo& product);

// Deletes that temporary copy; false when there is none or it cannot be deleted.
bool DeleteTempUpdater(const IClientInfo& product);
