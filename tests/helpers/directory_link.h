#pragma once

#include <filesystem>

// Makes link a symbolic link to target (a folder; under Wine a file too); true when link is then a
// reparse point.
// Wine accepts CreateSymbolicLinkW without making anything, so under Wine the link is made the
// way Wine itself shows links: as a Unix symbolic link, by Unix's ln, which Wine can start.
bool MakeDirectoryLink(const std::filesystem::path& link, const std::filesystem::path& target);

// Removes such a link (under Wine with Unix's rm, as Wine cannot); true when it is gone.
bool RemoveDirectoryLink(const std::filesystem::path& link);
