#pragma once

#include <string>

#include "product/registration_places.h"
#include "support/journal/change_journal.h"

class IClientInfo;
class IUninstInfo;

// The places for product (its company, app and name). False when a name from its configuration
// would lead out of its folder or key, or the system's folders cannot be found.
bool FindRegistrationPlaces(const IClientInfo& product, RegistrationPlaces* places);

// Registers the installed product (its folder, main file, digest and version as the record
// holds them; installed, the files the install put there) as steps of journal, each recorded
// before it is made: the product key ("version", "path", "md5", "main"), the uninstall entry
// ("DisplayName", "DisplayVersion", "Publisher", "DisplayIcon", "UninstallString" (the quoted
// path) and "QuietUninstallString" with "silent" when the uninstaller is there, "InstallLocation",
// "InstallDate" as yyyymmdd, "EstimatedSize" in KB of the installed files, "NoModify" and
// "NoRepair" as 1, "URLInfoAbout" as the homepage when there is one), the desktop (when
// desktopShortcut), start-menu and Quick Launch shortcuts to the main path, the program group
// with the main path's shortcut and the uninstaller's (named by the language's
// "product.uninstall_shortcut"), and the Run value when autoStart. False at the first step that
// fails; journal's Failure names it, and rolling the journal back undoes the rest.
bool RegisterThrough(CChangeJournal& journal, const IClientInfo& product,
                     const IUninstInfo& installed, bool autoStart, bool desktopShortcut);

// What a journal of the product's install folder may touch: the folder, the product's keys, its
// shortcuts and group, and its own Run value.
JournalBounds RegistrationBounds(const IClientInfo& product, const std::u16string& folder);
