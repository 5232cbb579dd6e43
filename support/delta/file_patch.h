#pragma once

#include <cstdint>
#include <string>

// Patches from one version of a file to the next, in libzstd's patch mode: a zstd frame of the
// new file compressed with the old file as its prefix, with long-distance matching and a window
// that covers the old file and the new one together, so that any part of the new file may be
// copied from anywhere in the old one.

// The largest window libzstd takes on a 64-bit system: 2 GB.
constexpr int kPatchWindowLog = 31;

// Whether a patch is made between files of these sizes: their sum within the window, and the
// new file not empty.
bool CanPatch(uint64_t oldSize, uint64_t newSize);

// Writes to patchPath, which must not be there, the patch that makes newPath from oldPath. False,
// with why (for the person), when the files cannot be patched or read or the patch not written;
// then nothing is left at patchPath.
bool MakeFilePatch(const char16_t* oldPath, const char16_t* newPath, const char16_t* patchPath,
                   std::string* why);

// Makes at outPath, which must not be there, the file of newSize bytes that the patch at
// patchPath makes from oldPath. False, with why (for the log), when the patch cannot be read,
// does not apply to oldPath or does not make newSize bytes; then nothing is left at outPath.
bool ApplyFilePatch(const char16_t* oldPath, const char16_t* patchPath, const char16_t* outPath,
                    uint64_t newSize, std::u16string* why);
