#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

// Paths are built in fixed buffers of this many UTF-16 units, terminator included.
constexpr int kPathCapacity = 260;

// Writes the parts one after another into out (capacity units), zero-terminated. A result that
// does not fit is refused and out left empty: a path cut short names a different file.
bool ComposePath(char16_t* out, int capacity, std::initializer_list<const char16_t*> parts);

// What goes between a folder and a name joined to it: nothing when the folder already ends
// with a separator, else a backslash.
const char16_t* SeparatorAfter(const char16_t* folder);

// Whether unit divides a path's parts: Windows takes "/" as "\\".
bool IsPathSeparator(char16_t unit);

// path without the one "\" it may end with.
std::u16string WithoutTrailingSeparator(std::u16string_view path);

// path ending with "\": as it is when it does, else with one added.
std::u16string AsFolderPath(std::u16string_view path);

// The folder above path (which may end with a separator), with its "\"; empty at the top.
std::u16string ParentFolderOf(std::u16string_view path);
