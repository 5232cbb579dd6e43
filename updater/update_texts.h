#pragma once

#include <string>

#include "support/journal/change_journal.h"

struct InstallOutcome;

// What the updater tells the user, in message boxes captioned like every box of the product's
// programs. name is the product's display name.

std::u16string NotInstalledText(const char16_t* name);
std::u16string NoUpdateListText(const char16_t* name);
// The published list arrived, but its signature does not show it to be the vendor's.
std::u16string ListNotTrustedText(const char16_t* name);
// A list the vendor signed, but older than the installed version: an old list served again.
std::u16string OlderListText(const char16_t* name, const char16_t* listVersion,
                             const char16_t* installedVersion);
// A list the vendor signed that names no version to compare with the installed one.
std::u16string UnversionedListText(const char16_t* name, const char16_t* installedVersion);
// version may be empty: the published list names none.
std::u16string UpdateQuestionText(const char16_t* name, const char16_t* version);
std::u16string UpToDateText(const char16_t* name);
std::u16string UpdatedText(const char16_t* name);
// What failed first, and why; and that the update was undone whole or, when the undo left
// anything, what to do and the paths left, one a line.
std::u16string UpdateFailedText(const InstallOutcome& outcome, const RollbackResult& undone);
// Another install or update of the product runs in its folder, or what a killed one left there
// cannot be undone yet.
std::u16string BusyText(const char16_t* name);
