#pragma once

// Where the product puts its shortcuts: the common desktop, the common start menu, the user's
// Quick Launch folder and a program group in the common programs folder. Every creation and
// deletion is announced to the shell. Shortcut and group names come from the product's
// configuration and go through JoinEntryPath: a name that would lead out of its folder fails.

// "<name>.lnk" on the common desktop, in the common start menu and in the user's Quick Launch
// folder.
bool CreateDesktopShortcut(const char16_t* target, const char16_t* name, char16_t hotKey);
bool CreateStartMenuShortcut(const char16_t* target, const char16_t* name, char16_t hotKey);
bool CreateQuickLaunchShortcut(const char16_t* target, const char16_t* name, char16_t hotKey);
bool DeleteDesktopShortcut(const char16_t* name);
bool DeleteStartMenuShortcut(const char16_t* name);
bool DeleteQuickLaunchShortcut(const char16_t* name);

// The program group: a folder named name in the common programs folder. out (kPathCapacity
// units, may be null) receives its path.
bool CreateProgramGroup(const char16_t* name, char16_t* out);
bool DeleteProgramGroup(const char16_t* name);
// "<name>.lnk" in folder.
bool CreateShortcutIn(const char16_t* target, const char16_t* folder, const char16_t* name,
                      char16_t hotKey);
