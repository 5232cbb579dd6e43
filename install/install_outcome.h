#pragma once
#include "support/fixed_wstring.h"

// What an install run leaves to its finish: how many entries could not be put in place and the
// first of them, so the finish can tell the user instead of recording a whole client.
struct InstallOutcome {
  int failed = 0;
  FixedWString<512> firstFailed;  // relative to the install folder
  // The install left no usable client: its client file is not in the folder, or nothing was put
  // in place. Such an install registers nothing.
  bool unusable = false;

  void Fail(const char16_t* name) {
    if (failed++ == 0) firstFailed.Assign(name);
  }
  bool Failed() const { return failed != 0 || unusable; }
};

// The message shown at the finish when entries failed: how many, and the first one.
void FormatInstallFailure(const InstallOutcome& outcome, FixedWString<1024>* text);

// Shown when an install ended without a usable client.
extern const char16_t kInstallUnusableText[];
// Shown when an interactive install could not start at all.
extern const char16_t kInstallNotStartedText[];
// The caption of the install's message boxes.
extern const char16_t kInstallCaption[];
