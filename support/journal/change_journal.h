#pragma once

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "support/core/entry_sink.h"
#include "support/journal/background_placer.h"
#include "support/journal/journal_entry.h"
#include "support/journal/journal_target.h"

// What the journal puts after a path for a file on its way in, and for one moved aside; from the
// second such name beside the same path on, a number follows.
constexpr char16_t kNewSuffix[] = u".new~";
constexpr char16_t kOldSuffix[] = u".old~";

// What a rollback could not undo, last change first: the path of each file and folder it could
// not put back or remove, and each registry value ("key\name") it could not restore or remove.
// Empty when the machine is as it was before the run.
struct RollbackResult {
  std::vector<std::u16string> left;
  bool Whole() const { return left.empty(); }
};

// A run that changes the machine as one transaction: each change is recorded in a journal file
// before it is made, so that the run can be undone in reverse order, by itself after a failure
// or a cancel, or by the next run that finds the journal after it was killed. Files are never
// overwritten in place: a new one is written beside its final name and renamed into place, an
// old one is moved aside and deleted only at the commit. A journal neither committed nor rolled
// back when it goes is rolled back.
class CChangeJournal {
 public:
  explicit CChangeJournal(IJournalTarget& target) : target_(target) {}
  ~CChangeJournal();
  CChangeJournal(const CChangeJournal&) = delete;
  CChangeJournal& operator=(const CChangeJournal&) = delete;

  // Starts the journal journalName in folder (a path ending with "\"), creating the folder and
  // those above it when missing; they are the first changes recorded. False, with nothing left
  // behind, when a journal is there already or the file cannot be made.
  bool Begin(const std::u16string& folder, const std::u16string& journalName);
  bool IsOpen() const { return open_; }
  // Whether this run made folder (a path ending with "\"), or planned to make it: nothing is in
  // it but what the run put there.
  bool MadeFolder(const std::u16string& folder) const;
  // Whether path, below folder, runs through a link on the machine (IJournalTarget::CrossesLink):
  // a change there would land outside folder.
  bool CrossesLink(const std::u16string& folder, const std::u16string& path) {
    return target_.CrossesLink(folder, path);
  }

  // Each records its change, then makes it. False when the change could not be made; Failure
  // then says what and why, and the caller rolls the run back.

  // path and every missing folder above it.
  bool CreateFolder(const std::u16string& path);
  // Notes the folders missing on the way to folder (a path ending with "\"), to be made later
  // by CreateFolder; they count as the run's from now on. Nothing is written to the journal
  // until the next CreateFolder, which records every folder noted since with one write: a run
  // that makes many folders waits for the disk once for all of them. Undoing a folder that was
  // never made removes nothing.
  void PlanFolder(const std::u16string& folder);
  // Puts a file at path: write makes it whole at the staging path it is given (an empty name
  // beside path), then a file already at path is moved aside and the new one renamed into place.
  bool PlaceFile(const std::u16string& path,
                 const std::function<bool(const std::u16string& staging)>& write);
  // As PlaceFile, for content that arrives in pieces: write puts them into the staging file the
  // target makes, which then takes path's place.
  bool PlaceStreamedFile(const std::u16string& path,
                         const std::function<bool(IStagedFile& file)>& write);
  // Records, with one write to the journal, that files are about to be made at those of paths
  // where nothing is yet, each with a staging name of its own that no other path of them has; a
  // PlaceFile at one of them then writes to the journal no more. Undoing a file that was never
  // made removes nothing, so a batch of new files may be recorded before the first of them is
  // written, and the journal's write reach the disk once for all of them. Paths with a file are
  // left to PlaceFile, which records each (its undo restores the file it moved aside).
  bool PlanNewFiles(const std::vector<std::u16string>& paths);
  // As PlaceStreamedFile, for a path recorded ahead, but the file is made at path itself: it was
  // recorded as new, so nothing is moved aside, and undoing removes it, whole or partly written.
  // Once written, it is closed on a thread of the journal's own, and this returns at once, for the
  // next file to be written meanwhile (closing a file may wait for a scanner). Every other change
  // to files, and the commit, first waits for those files (Settle).
  bool PlaceAheadFile(const std::u16string& path,
                      const std::function<bool(IStagedFile& file)>& write);
  // Waits until every file PlaceAheadFile handed on is in place. False when one could not be
  // placed: Failure then names the first and says why, and the run is to be rolled back.
  bool Settle();
  // A file whole and checked already beside its path (a download), to take the path's place.
  struct ReadyFile {
    std::u16string path;
    std::u16string ready;
  };
  // Puts each ready file at its path, in order, moving a file already there aside first; all are
  // recorded with one write before the first moves. Returns how many took their place: fewer
  // than files when one could not, Failure then saying which and why, and the run is to be rolled
  // back. Undoing the run removes the ready files of those that had not moved yet, so a download
  // the next run should go on from is placed alone.
  size_t PlaceReadyFiles(const std::vector<ReadyFile>& files);
  // Records, with one write, that the run is about to make files at paths outside the steps
  // above (downloads into staging names): undoing the run removes those it made.
  bool NoteNewFiles(const std::vector<std::u16string>& paths);
  // Moves the file or folder at path aside; it is deleted, with all it holds, at the commit.
  // Something already gone is fine.
  bool RemovePath(const std::u16string& path);
  bool SetValue(const std::u16string& key, const std::u16string& name, const RegistryValue& value);
  // Sets each value as SetValue does, the changes recorded with one write to the journal.
  struct ValueChange {
    std::u16string key;
    std::u16string name;
    RegistryValue value;
  };
  bool SetValues(const std::vector<ValueChange>& changes);
  bool DeleteValue(const std::u16string& key, const std::u16string& name);

  // Every change stands: records the commit, deletes what was moved aside and then the journal.
  // False when the commit could not be recorded (Failure says why); the run is then still open,
  // for the caller to roll back.
  bool Commit();
  // Undoes every recorded change, last first, then deletes the journal and the folders the run
  // made. What it could not undo stays, the journal too when a file or value is among it, for the
  // next run to try again; each is logged as it goes. Nothing to undo once committed or rolled
  // back.
  [[nodiscard]] RollbackResult Rollback();

  // What the last failed change was, and the system's reason ("path: reason"); each alone.
  const std::u16string& Failure() const { return failure_; }
  const std::u16string& FailedWhat() const { return failedWhat_; }
  const std::u16string& FailureReason() const { return failureReason_; }
  const std::vector<JournalEntry>& Entries() const { return entries_; }

 private:
  bool Record(const JournalEntry& entry) { return RecordAll({entry}); }
  // Records entries with one write to the journal; nothing for none.
  bool RecordAll(const std::vector<JournalEntry>& entries);
  // Keeps a recorded entry, and the names it makes.
  void Remember(const JournalEntry& entry);
  // Whether something may be at path. In a folder the run made, nothing is but what the run put
  // there, so only the names of its entries are looked for: a name that is not there costs a
  // look through the whole folder on some file systems.
  bool MayExist(const std::u16string& path);
  // Whether path was recorded ahead (PlanNewFiles) and has not been placed since.
  bool IsRecordedAhead(const std::u16string& path) const;
  // Records the folders PlanFolder noted, with one write.
  bool RecordPlannedFolders();
  bool Fail(const std::u16string& what);
  bool FailBecause(const std::u16string& what, const std::u16string& reason);
  // The steps of putting a file at path: its entry, with the staging name and, when a file is
  // there, the backup name, recorded unless it was ahead; after a failed write, the staging file
  // removed; once written, the file there moved to its backup name.
  bool StartPlacing(const std::u16string& path, JournalEntry* entry);
  bool AbandonPlacing(const JournalEntry& entry);
  // The staging file of entry, made and written; null when either failed (it is then removed).
  std::unique_ptr<IStagedFile> WriteStaged(const JournalEntry& entry,
                                           const std::function<bool(IStagedFile& file)>& write);
  bool MoveAsideOld(const JournalEntry& entry);
  // A name beside path, ending with suffix, that nothing has yet, nor names in taken (their
  // case folded), nor a file recorded ahead.
  std::u16string FreeName(const std::u16string& path, const char16_t* suffix,
                          const std::unordered_set<std::u16string>* taken = nullptr);

  IJournalTarget& target_;
  std::unique_ptr<BackgroundPlacer> placer_;  // made at the first PlaceAheadFile
  std::u16string journalPath_;
  std::vector<JournalEntry> entries_;
  // The staging names PlanNewFiles recorded, by the case-folded path, until PlaceFile takes them.
  std::unordered_map<std::u16string, std::u16string> planned_;
  std::unordered_set<std::u16string> madeFolders_;  // case-folded, each ending with "\"
  std::vector<std::u16string> plannedFolders_;      // noted, not yet recorded; in order
  std::unordered_set<std::u16string> named_;        // every path, staging and backup recorded
  std::u16string failure_;
  std::u16string failedWhat_;
  std::u16string failureReason_;
  bool open_ = false;
};

// What a journal found on disk may touch: the run that wrote it could only have changed these,
// so an entry naming anything else is not acted on.
struct JournalBounds {
  struct Folder {
    std::u16string path;  // ends with "\"
    std::u16string file;  // only this name in it; empty: anything in it or below
  };
  struct Key {
    std::u16string key;
    std::u16string name;  // only this value of the key; empty: any value in it or below
  };
  std::vector<Folder> folders;
  std::vector<Key> keys;
};

enum class JournalRecovery {
  kNone,        // no journal
  kRolledBack,  // a run that never committed was undone
  kCompleted,   // a committed run's leftovers were removed
  kBusy,        // a running program holds the journal: its run is still going
  kFailed,      // the journal could not be read or removed
};

// Finds the journal journalName of folder left by an earlier run and finishes with it: a run
// that never committed is undone, a committed one has what it moved aside deleted; the journal
// is deleted after. Entries outside bounds, and a journal that names another folder, are not
// acted on.
JournalRecovery RecoverJournal(IJournalTarget& target, const std::u16string& folder,
                               const std::u16string& journalName, const JournalBounds& bounds);

// Undoes entries, last first, and drops what a committed run moved aside; both as RecoverJournal
// and Rollback do. Folders that still hold something are left. The paths of the files and values
// ("key\name") that could not be put back or removed are returned, last change first.
std::vector<std::u16string> UndoEntries(IJournalTarget& target,
                                        const std::vector<JournalEntry>& entries);
void DropBackups(IJournalTarget& target, const std::vector<JournalEntry>& entries);

// Whether entry stays inside bounds.
bool IsWithinBounds(const JournalEntry& entry, const JournalBounds& bounds);
