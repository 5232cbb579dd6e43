#pragma once

// Names from data reach the file system only inside the install folder, but the path check is
// textual: a folder link (junction or symbolic link) inside the install folder would carry a
// delete or a write to wherever it points. These programs run elevated, so every such path is
// checked against the links on the way.

// True when some part of path below folder (path begins with folder, which ends with "\") that
// exists is a reparse point, the last part included. The folder itself may be one: the user
// chose it.
bool CrossesLink(const char16_t* folder, const char16_t* path);
