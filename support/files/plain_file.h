#pragma once

// Whether path names a plain file that no other name shares: not a link, folder or device, and
// with one hard link. Anything else may be another file reached through a name planted beside
// ours, and is never opened for writing, resumed or put in place.
bool IsSoleNameOfPlainFile(const char16_t* path);
