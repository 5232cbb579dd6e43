#pragma once

// Deleting single files the way the installer and uninstaller need.

// Deletes a file through the shell: no confirmation, no progress, no error box, not to the
// recycle bin; the deletion is announced. Paths holding wildcards are refused (the shell would
// delete every match), as are paths that do not fit kPathCapacity units.
bool DeleteShellFile(const char16_t* path);

// Asked whether to end the running program that holds the file at path; true to end it. owner
// is the window the question belongs to, or null.
using StopOwnerQuestion = bool (*)(const char16_t* path, void* owner);

// Deletes a file. When that is refused because a running program is the file, ends that
// program (after asking ask with owner, when ask is given) and deletes the file again. Only a
// process running from that very file is ever ended.
bool DeleteFileOrStopOwner(const char16_t* path, StopOwnerQuestion ask, void* owner);
