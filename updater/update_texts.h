#pragma once

#include <string>

struct InstallOutcome;

// What the updater tells the user, in message boxes captioned like every box of the product's
// programs. name is the product's display name.

std::u16string NotInstalledText(const char16_t* name);
std::u16string NoUpdateListText(const char16_t* name);
// version may be empty: the published list names none.
std::u16string UpdateQuestionText(const char16_t* name, const char16_t* version);
std::u16string UpToDateText(const char16_t* name);
std::u16string UpdatedText(const char16_t* name);
// How many files could not be updated, and the first.
std::u16string UpdateFailedText(const InstallOutcome& outcome);
