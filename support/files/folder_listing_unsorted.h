#pragma once

#include <vector>

#include "support/files/folder_listing.h"

// What each build's file system tells of one folder, in its own order, without "." and "..".
// False when the folder cannot be read. ListFolder sorts it.
bool ListFolderUnsorted(const char16_t* folder, std::vector<FolderEntry>& entries);
