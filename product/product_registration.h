#pragma once

class IClientInfo;

// Registering the installed product described by a client record (install folder, digest and
// main file set): what the system's uninstall and update need to find it, and the shortcuts a
// person starts it from.

// Writes the product key ("version", "path", "md5", "main"), the uninstall entry
// ("DisplayName", "DisplayVersion", "Publisher", "DisplayIcon", "UninstallString" and
// "QuietUninstallString" with "silent" when the uninstaller is there, "InstallLocation",
// "InstallDate" as yyyymmdd, "EstimatedSize" in KB of the files "uninst.dat" names, "NoModify"
// and "NoRepair" as 1, "URLInfoAbout" as the homepage when there is one), the desktop, start-menu
// and Quick Launch shortcuts to the main path, and the program group with the main path's
// shortcut and the uninstaller's ("卸载" and the name). A step that fails is passed over: always
// true.
bool Register(const IClientInfo& product);

// Removes the product key, the uninstall entry, the shortcuts, the program group and the Run
// value. Always true.
bool Unregister(const IClientInfo& product);
