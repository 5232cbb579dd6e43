#pragma once
#include "support/core/fixed_wstring.h"

// What an install run leaves to its finish: how many entries could not be put in place, the
// first of them and why, so the finish can tell the user instead of recording a whole client.
struct InstallOutcome {
  int failed = 0;
  FixedWString<512> firstFailed;  // relative to the install folder
  FixedWString<512> reason;       // the system's words for the first failure; may be empty
  // The install left no usable client: its client file is not in the folder, or nothing was put
  // in place. Such an install registers nothing.
  bool unusable = false;

  void Fail(const char16_t* name, const char16_t* why = u"") {
    if (failed++ != 0) return;
    firstFailed.Assign(name);
    reason.Assign(why);
  }
  bool Failed() const { return failed != 0 || unusable; }
};

// The message shown when an install failed and was undone: what failed (the first file that
// could not be put in place and why, or that the install left no usable client) and that
// nothing on the machine was changed.
void FormatRolledBackInstall(const InstallOutcome& outcome, FixedWString<1024>* text);

// Shown when an install ended without a usable client.
extern const char16_t kInstallUnusableText[];
// Shown when an interactive install could not start at all.
extern const char16_t kInstallNotStartedText[];
// Shown when the published list arrived but its signature does not show it to be the vendor's:
// nothing was installed from it.
extern const char16_t kListNotTrustedText[];
// Shown when the install folder cannot be written (its journal cannot be made there).
extern const char16_t kInstallFolderFailedText[];
// Shown when an earlier run into the folder still goes, or what it left cannot be undone.
extern const char16_t kEarlierRunText[];
// The caption of the install's message boxes.
extern const char16_t kInstallCaption[];
