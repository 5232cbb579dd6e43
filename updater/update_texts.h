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
// What failed first, and why; and that the update was undone whole.
std::u16string UpdateFailedText(const InstallOutcome& outcome);
// Another install or update of the product runs in its folder, or what a killed one left there
// cannot be undone yet.
std::u16string BusyText(const char16_t* name);
