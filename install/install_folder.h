#pragma once
#include "support/core/fixed_wstring.h"

// The install folder for a folder the user chose: the chosen folder, a backslash when it lacks
// one, then the company and the app (those not empty), each followed by a backslash.
// D:\Games with company c and app a gives D:\Games\c\a\.
void ComposeInstallFolder(const char16_t* chosen, const char16_t* company, const char16_t* app,
                          FixedWString<1024>* folder);

// The default place of programs on the drive of the Windows folder: "X:\Program Files" with
// X the Windows folder's first character. False when windowsFolder is empty.
bool DefaultProgramsFolder(const char16_t* windowsFolder, FixedWString<1024>* folder);
