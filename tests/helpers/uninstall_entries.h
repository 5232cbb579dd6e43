#pragma once

#include <filesystem>
#include <string>
#include <vector>

class IUninstInfo;

// The entries of an uninstall list, in its order.
std::vector<std::u16string> Entries(const IUninstInfo& list);
// The entries of the uninstall list saved in file; none, and a test failure, when it cannot be
// read.
std::vector<std::u16string> UninstallEntries(const std::filesystem::path& file);
