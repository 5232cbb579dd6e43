#pragma once

#include <cstdint>

// Who may open a file that WriteNewFile creates.
enum class NewFileAccess {
  kUsual,      // as the folder and the process would give any new file
  kOwnerOnly,  // its owner alone (mode 0600; on Windows a protected list granting the user alone)
};

// Creates path, which must not exist yet, and writes n bytes to it. An existing file, link or
// folder of that name is left as it is. False when the file exists or could not be created or
// written whole; a file this call created is then removed again.
bool WriteNewFile(const char16_t* path, const void* bytes, uint32_t n, NewFileAccess access);
