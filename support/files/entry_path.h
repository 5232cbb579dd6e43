#pragma once

// The one gate between names that come from data (archive entries, update-list file names,
// uninstall entries) and the file system: every extraction and every deletion below an install
// folder goes through it.
//
// Joins folder and a relative entry name ("/" or "\" separators) into out, a buffer of
// kPathCapacity units, with "\" separators; a trailing separator (a folder entry) is kept.
// Refused, with out left empty, are names that could reach outside the folder or name something
// other than a file inside it: absolute paths, drive letters and any ":" (also alternate data
// streams), empty segments, segments ending in "." or " " (among them "." and "..", which Windows
// resolves, and names it would silently shorten), characters Windows forbids in names, device
// names (CON, NUL, COM1, ... with any extension), and results that do not fit the buffer.
bool JoinEntryPath(const char16_t* folder, const char16_t* entry, char16_t* out);

// One name that can stand alone as a folder or file name (and as a registry key name): not
// empty, no separator, and acceptable as a segment by the rules above. For names a configuration
// gives (the company and app folders), which must not climb out or name a device.
bool IsPlainName(const char16_t* name);
