#pragma once
#include "support/core/fixed_wstring.h"
#include "support/journal/change_journal.h"

// How an install run ended, in one value: what the archive install and the install engine return.
// A run ends at its first failure, and the install is then undone whole: the entry that failed
// is named, with the system's reason. The finish after a run adds its own failure to the same
// value (a step that failed, or no usable client), which then says what the person is told.
struct InstallOutcome {
  enum class Ending {
    kInstalled,   // every entry was put in place
    kFailed,      // an entry (or a step of the finish) failed: firstFailed and reason tell
    kNotStarted,  // before any progress: nothing to install from, no folder or no journal
    kStopped,     // the run's stop ended it
  };
  Ending ending = Ending::kInstalled;
  FixedWString<512> firstFailed;  // relative to the install folder
  FixedWString<512> reason;       // the system's words for the failure; may be empty
  // The install left no usable client: its client file is not in the folder, or nothing was put
  // in place. Such an install registers nothing.
  bool unusable = false;

  static InstallOutcome NotStarted() { return Ended(Ending::kNotStarted); }
  static InstallOutcome Stopped() { return Ended(Ending::kStopped); }
  static InstallOutcome Ended(Ending ending) {
    InstallOutcome outcome;
    outcome.ending = ending;
    return outcome;
  }

  // The failure that ends the run; one after it is not recorded over it.
  void Fail(const char16_t* name, const char16_t* why = u"") {
    if (ending == Ending::kFailed) return;
    ending = Ending::kFailed;
    firstFailed.Assign(name);
    reason.Assign(why);
  }
  // The run went through its entries, to the end or to the one that failed: what it changed is
  // there to finish or to undo.
  bool Ran() const { return ending == Ending::kInstalled || ending == Ending::kFailed; }
  bool Failed() const { return ending == Ending::kFailed || unusable; }
};

// The message shown when an install failed and was undone: what failed (the first file that
// could not be put in place and why, or that the install left no usable client), and that
// nothing on the machine was changed or, when the undo left something, what (AppendNotUndone).
void FormatRolledBackInstall(const InstallOutcome& outcome, const RollbackResult& undone,
                             FixedWString<1024>* text);
// How an undo ended, for the log: "undone", or what it left, each path.
std::u16string UndoneForLog(const RollbackResult& undone);
// The paths an undo left, each on a line of its own: a line break before each.
std::u16string LeftLines(const RollbackResult& undone);
// Appends to text, when the undo left anything, that not every change could be undone, what to
// do, and the paths left, one a line: the last, where a long list is cut.
void AppendNotUndone(const RollbackResult& undone, FixedWString<1024>* text);
