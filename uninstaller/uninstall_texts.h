#pragma once

#include <string>
#include <vector>

// What the uninstaller tells the user, in message boxes captioned like every box of the
// product's programs. name is the product's display name.

std::u16string UninstallQuestionText(const char16_t* name);
std::u16string NothingToUninstallText(const char16_t* name);
std::u16string UninstalledText(const char16_t* name);
// An install or update of the product runs in the folder, or what a killed one left there
// cannot be undone yet.
std::u16string UninstallBusyText(const char16_t* name);
// "uninst.dat" is there but unreadable: nothing is removed, so that nothing is removed wrongly.
std::u16string DamagedListText(const char16_t* name);

// How many entries are left and the first kNamedEntries of them, one a line.
constexpr size_t kNamedEntries = 10;
std::u16string EntriesLeftText(const std::vector<std::u16string>& left);
// The same for the shortcuts and keys of the registration that could not be removed, each with
// the system's reason.
std::u16string RegistrationLeftText(const std::vector<std::u16string>& left);
