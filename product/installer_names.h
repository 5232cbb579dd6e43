#pragma once

#include <string>

// Why a client entry of this name would meet one of the installer's own files in the install
// folder: "install.journal" and "uninst.dat" at its top (atTop), and anywhere a name the installer
// stages, moves aside or downloads a file under (".new~" or ".old~", perhaps with a number, and
// ".download~" or ".patch~"), as words that follow the entry in a message; empty when the name is free.
// upperName is the name as UpperCaseName gives it, since Windows takes names in any case for one.
std::string InstallerNameProblem(const std::u16string& upperName, bool atTop);

// Whether the entry (a path inside the install folder, with either separator) or a folder on its
// way is named like one of the installer's own files. The installer's names are ASCII, so the
// entry's names are compared in ASCII's upper case.
bool MeetsInstallerFile(const char16_t* entry);
