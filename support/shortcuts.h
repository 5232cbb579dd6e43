#pragma once

// Shell shortcuts (".lnk" files) and the special folders they go in. Every creation and deletion
// is announced to the shell. Paths are built in kPathCapacity-unit buffers; one that does not fit
// fails. Shortcut and group names come from the product's configuration and go through
// JoinEntryPath: a name that would lead out of its folder fails. Each call sets COM up on the
// calling thread for its own duration when needed.

// The file-system path (kPathCapacity units) of a shell special folder (a CSIDL_ value).
bool GetSpecialFolder(char16_t* out, int folderId);

// Writes a shortcut to target at link, holding only the target and, when hotKey is not 0, the
// hot key Ctrl+Shift+hotKey (letters as their capitals, which are their virtual-key codes).
bool CreateShortcut(const char16_t* target, const char16_t* link, char16_t hotKey);

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
