#pragma once

// Removing the product's shortcuts: from the common desktop, the common start menu, the user's
// Quick Launch folder and its program group in the common programs folder (the registration
// makes them, registration_steps.h). Every deletion is announced to the shell. Shortcut and group
// names come from the product's configuration and go through JoinEntryPath: a name that would
// lead out of its folder fails.

// "<name>.lnk" on the common desktop, in the common start menu and in the user's Quick Launch
// folder.
bool DeleteDesktopShortcut(const char16_t* name);
bool DeleteStartMenuShortcut(const char16_t* name);
bool DeleteQuickLaunchShortcut(const char16_t* name);

// The program group: a folder named name in the common programs folder, with all it holds.
bool DeleteProgramGroup(const char16_t* name);
