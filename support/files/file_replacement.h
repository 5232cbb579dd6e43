#pragma once

#include <functional>

// Replacing a file so that, wherever the process is cut off, it holds either what it held before
// or all of its new content: the content goes into a fresh file in the same folder, and only once
// that is complete is it moved over the old one. Both return false, with the file as it was and
// nothing left beside it, when a step fails (the folder must exist; a file held open by a running
// program cannot be replaced).

// write makes the fresh file at the path it is given (which exists, empty) and returns whether
// it succeeded.
bool ReplaceFileBy(const char16_t* path, const std::function<bool(const char16_t*)>& write);

// The last step of every replacement: renames the complete file fresh (in target's folder) over
// target, waiting until the move is on the disk. False, with both files as they were, when it
// cannot (a target held open by a running program, a missing file).
bool MoveFileIntoPlace(const char16_t* fresh, const char16_t* target);
