#include "support/journal/change_journal.h"

#include <algorithm>
#include <memory>

#include "support/files/entry_path.h"
#include "support/http/file_download.h"
#include "support/system/run_log.h"
#include "support/text/ascii_text.h"
#include "support/text/path_text.h"

namespace {

// Windows compares names without regard to case; the journal's bounds do too, for ASCII letters
// (the folders and keys it is given come from the same code that wrote the journal).
bool StartsWith(const std::u16string& text, const std::u16string& prefix) {
  return text.size() >= prefix.size() && SameTextIgnoringCase(text.substr(0, prefix.size()), prefix);
}

// The folders from the top down to folder that do not exist yet, highest first.
std::vector<std::u16string> MissingFolders(IJournalTarget& target, const std::u16string& folder) {
  std::vector<std::u16string> missing;
  for (std::u16string at = folder; !at.empty() && !target.PathExists(WithoutTrailingSeparator(at));
       at = ParentFolderOf(at)) {
    missing.push_back(at);
  }
  std::reverse(missing.begin(), missing.end());
  return missing;
}

// path inside folder (which ends with "\"), by a relative name the entry check accepts.
bool IsInsideFolder(const std::u16string& path, const std::u16string& folder) {
  if (folder.empty() || folder.back() != u'\\' || !StartsWith(path, folder) ||
      path.size() == folder.size() || path.size() >= static_cast<size_t>(kPathCapacity)) {
    return false;
  }
  char16_t joined[kPathCapacity];
  return JoinEntryPath(folder.c_str(), path.c_str() + folder.size(), joined) &&
         SameTextIgnoringCase(joined, path);
}

bool IsFileWithin(const std::u16string& path, const JournalBounds& bounds) {
  for (const JournalBounds::Folder& folder : bounds.folders) {
    if (!IsInsideFolder(path, folder.path)) continue;
    if (folder.file.empty() || SameTextIgnoringCase(path.substr(folder.path.size()), folder.file)) return true;
  }
  return false;
}

// Whether name is one FreeName gives for path and suffix: path, suffix and, from the second name
// on, a number. Nothing else passes, so a record found on disk cannot aim a staging or backup
// name anywhere but beside its path ("/" is a separator too, and ".." climbs).
bool IsFreeName(const std::u16string& name, const std::u16string& path,
                std::u16string_view suffix) {
  const std::u16string_view text(name);
  if (text.size() < path.size() + suffix.size() || text.substr(0, path.size()) != path ||
      text.substr(path.size(), suffix.size()) != suffix) {
    return false;
  }
  const std::u16string_view number = text.substr(path.size() + suffix.size());
  return number.empty() ||
         (number.size() <= 9 && number[0] != u'0' &&
          std::all_of(number.begin(), number.end(),
                      [](char16_t unit) { return unit >= u'0' && unit <= u'9'; }));
}

// A staging name the journal makes for path, or the one a download is checked under.
bool IsStagingName(const std::u16string& name, const std::u16string& path) {
  return IsFreeName(name, path, kNewSuffix) || name == path + kDownloadStagingSuffix;
}

bool IsFolderWithin(const std::u16string& path, const JournalBounds& bounds) {
  for (const JournalBounds::Folder& folder : bounds.folders) {
    // Folders above a bound are only ever removed when empty: harmless, and the run may well
    // have made them for its folder.
    if (StartsWith(folder.path, path) && path.back() == u'\\' &&
        (path.size() == folder.path.size() || IsInsideFolder(folder.path, path))) {
      return true;
    }
    if (folder.file.empty() && IsInsideFolder(path, folder.path)) return true;
  }
  return false;
}

// Whether a name of a file entry runs through a link below its bound folder: the text is inside
// the bounds, but the change would land wherever the link points.
bool RunsThroughLink(IJournalTarget& target, const JournalEntry& entry,
                     const JournalBounds& bounds) {
  if (entry.kind != JournalEntry::kFilePlaced && entry.kind != JournalEntry::kFileRemoved) {
    return false;
  }
  for (const std::u16string* name : {&entry.path, &entry.staging, &entry.backup}) {
    for (const JournalBounds::Folder& folder : bounds.folders) {
      if (IsInsideFolder(*name, folder.path) && target.CrossesLink(folder.path, *name)) {
        return true;
      }
    }
  }
  return false;
}

bool IsKeyWithin(const JournalEntry& entry, const JournalBounds& bounds) {
  if (!entry.createdKey.empty() && !SameTextIgnoringCase(entry.createdKey, entry.key) &&
      !StartsWith(entry.key, entry.createdKey + u"\\")) {
    return false;
  }
  for (const JournalBounds::Key& key : bounds.keys) {
    if (!key.name.empty()) {
      if (SameTextIgnoringCase(entry.key, key.key) && SameTextIgnoringCase(entry.name, key.name)) return true;
    } else if (SameTextIgnoringCase(entry.key, key.key) || StartsWith(entry.key, key.key + u"\\")) {
      return true;
    }
  }
  return false;
}

// Removes the folders the run made, innermost first; returns those still there, each logged.
std::vector<std::u16string> RemoveCreatedFolders(IJournalTarget& target,
                                                 const std::vector<JournalEntry>& entries) {
  std::vector<std::u16string> left;
  for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
    if (entry->kind == JournalEntry::kFolderCreated &&
        !target.RemoveEmptyFolder(WithoutTrailingSeparator(entry->path))) {
      left.push_back(entry->path);
      LogLine(u"rollback: folder left: " + entry->path);
    }
  }
  return left;
}

// Notes that the change at path could not be undone, in left and in the log with the system's
// reason.
void NoteNotUndone(IJournalTarget& target, const std::u16string& path,
                   std::vector<std::u16string>* left) {
  left->push_back(path);
  const std::u16string reason = target.LastError();
  LogLine(u"rollback: could not undo: " + path + (reason.empty() ? u"" : u": " + reason));
}

// An entry of kind for each of paths, with nothing more to it.
std::vector<JournalEntry> EntriesOf(JournalEntry::Kind kind,
                                    const std::vector<std::u16string>& paths) {
  std::vector<JournalEntry> entries;
  for (const std::u16string& path : paths) {
    JournalEntry entry;
    entry.kind = kind;
    entry.path = path;
    entries.push_back(std::move(entry));
  }
  return entries;
}

bool IsCommitted(const std::vector<JournalEntry>& entries) {
  return std::any_of(entries.begin(), entries.end(), [](const JournalEntry& entry) {
    return entry.kind == JournalEntry::kCommitted;
  });
}

}  // namespace

CChangeJournal::~CChangeJournal() {
  // Whatever stays is logged: nobody is left to tell.
  if (open_) static_cast<void>(Rollback());
}

bool CChangeJournal::Begin(const std::u16string& folder, const std::u16string& journalName) {
  if (open_ || folder.empty() || folder.back() != u'\\') return false;
  const std::vector<std::u16string> missing = MissingFolders(target_, folder);
  std::vector<std::u16string> made;
  for (const std::u16string& path : missing) {
    if (!target_.CreateFolder(WithoutTrailingSeparator(path))) break;
    made.push_back(path);
  }
  journalPath_ = folder + journalName;
  if (made.size() == missing.size() && target_.CreateJournal(journalPath_)) {
    open_ = target_.AppendJournal(EncodeJournalHeader(folder));
    named_.insert(FoldedAscii(journalPath_));
    // The folders were made just before the journal that could record them.
    for (const std::u16string& path : made) {
      JournalEntry entry;
      entry.kind = JournalEntry::kFolderCreated;
      entry.path = path;
      if (open_ && !Record(entry)) open_ = false;
    }
    if (open_) return true;
    target_.CloseJournal();
    target_.RemoveFile(journalPath_);
  }
  Fail(journalPath_);
  for (auto path = made.rbegin(); path != made.rend(); ++path) {
    target_.RemoveEmptyFolder(WithoutTrailingSeparator(*path));
  }
  entries_.clear();
  return false;
}

bool CChangeJournal::RecordAll(const std::vector<JournalEntry>& entries) {
  if (entries.empty()) return true;
  std::vector<uint8_t> records;
  for (const JournalEntry& entry : entries) {
    const std::vector<uint8_t> record = EncodeJournalEntry(entry);
    records.insert(records.end(), record.begin(), record.end());
  }
  if (!open_ || !target_.AppendJournal(records)) return Fail(journalPath_);
  for (const JournalEntry& entry : entries) Remember(entry);
  return true;
}

void CChangeJournal::Remember(const JournalEntry& entry) {
  if (entry.kind == JournalEntry::kFolderCreated) madeFolders_.insert(FoldedAscii(entry.path));
  for (const std::u16string* name : {&entry.path, &entry.staging, &entry.backup}) {
    if (!name->empty()) named_.insert(FoldedAscii(*name));
  }
  entries_.push_back(entry);
}

bool CChangeJournal::MadeFolder(const std::u16string& folder) const {
  return madeFolders_.count(FoldedAscii(folder)) != 0;
}

bool CChangeJournal::MayExist(const std::u16string& path) {
  const std::u16string folded = FoldedAscii(path);
  if (named_.count(folded) != 0) return target_.PathExists(path);
  return madeFolders_.count(folded.substr(0, folded.rfind(u'\\') + 1)) == 0 &&
         target_.PathExists(path);
}

bool CChangeJournal::Fail(const std::u16string& what) {
  return FailBecause(what, target_.LastError());
}

bool CChangeJournal::FailBecause(const std::u16string& what, const std::u16string& reason) {
  failure_ = what;
  failedWhat_ = what;
  failureReason_ = reason;
  if (!failureReason_.empty()) failure_ += u": " + failureReason_;
  LogLine(u"failed: " + failure_);
  return false;
}

std::u16string CChangeJournal::FreeName(const std::u16string& path, const char16_t* suffix,
                                        const std::unordered_set<std::u16string>* taken) {
  std::u16string name = path + suffix;
  // Nor a file recorded ahead, which is not there yet.
  const auto isTaken = [this, taken](const std::u16string& candidate) {
    const std::u16string folded = FoldedAscii(candidate);
    return (taken != nullptr && taken->count(folded) != 0) || planned_.count(folded) != 0 ||
           MayExist(candidate);
  };
  for (int n = 2; isTaken(name); ++n) {
    std::u16string digits;
    for (int rest = n; rest > 0; rest /= 10) digits.insert(digits.begin(), u'0' + rest % 10);
    name = path + suffix + digits;
  }
  return name;
}

bool CChangeJournal::CreateFolder(const std::u16string& path) {
  std::u16string folder = path;
  if (folder.empty()) return false;
  if (folder.back() != u'\\') folder += u'\\';
  if (!RecordPlannedFolders()) return false;
  for (const std::u16string& missing : MissingFolders(target_, folder)) {
    // A folder recorded ahead (RecordPlannedFolders) is made without another record.
    if (!MadeFolder(missing)) {
      JournalEntry entry;
      entry.kind = JournalEntry::kFolderCreated;
      entry.path = missing;
      if (!Record(entry)) return false;
    }
    if (!target_.CreateFolder(WithoutTrailingSeparator(missing))) return Fail(missing);
  }
  return true;
}

void CChangeJournal::PlanFolder(const std::u16string& folder) {
  std::u16string at = folder;
  std::vector<std::u16string> missing;
  for (; !at.empty() && !MadeFolder(at) && !target_.PathExists(WithoutTrailingSeparator(at));
       at = ParentFolderOf(at)) {
    missing.push_back(at);
  }
  for (auto path = missing.rbegin(); path != missing.rend(); ++path) {
    madeFolders_.insert(FoldedAscii(*path));
    plannedFolders_.push_back(*path);
  }
}

bool CChangeJournal::RecordPlannedFolders() {
  const std::vector<JournalEntry> planned =
      EntriesOf(JournalEntry::kFolderCreated, plannedFolders_);
  plannedFolders_.clear();
  return RecordAll(planned);
}

bool CChangeJournal::PlanNewFiles(const std::vector<std::u16string>& paths) {
  if (!open_) return Fail(journalPath_);
  // A staging name must not be another path of the batch: a file placed there would be taken
  // for the staging file and removed at the commit.
  std::unordered_set<std::u16string> taken;
  for (const std::u16string& path : paths) taken.insert(FoldedAscii(path));
  std::unordered_set<std::u16string> batch;
  std::vector<JournalEntry> planned;
  for (const std::u16string& path : paths) {
    // A name twice (in another case, say) is new only the first time: the second replaces it
    // and is left to PlaceFile, which records the backup.
    if (!batch.insert(FoldedAscii(path)).second || planned_.count(FoldedAscii(path)) != 0 ||
        MayExist(path)) {
      continue;
    }
    JournalEntry entry;
    entry.kind = JournalEntry::kFilePlaced;
    entry.path = path;
    entry.staging = FreeName(path, kNewSuffix, &taken);
    taken.insert(FoldedAscii(entry.staging));
    planned.push_back(std::move(entry));
  }
  if (!RecordAll(planned)) return false;
  for (const JournalEntry& entry : planned) planned_[FoldedAscii(entry.path)] = entry.staging;
  return true;
}

bool CChangeJournal::StartPlacing(const std::u16string& path, JournalEntry* entry) {
  entry->kind = JournalEntry::kFilePlaced;
  entry->path = path;
  const auto planned = planned_.find(FoldedAscii(path));
  if (planned != planned_.end()) {
    entry->staging = planned->second;
    planned_.erase(planned);
    // A file recorded ahead is new and its staging name free: nothing of the run has taken
    // either since, and should something else have, the rename into place fails rather than
    // replace it.
    return true;
  }
  entry->staging = FreeName(path, kNewSuffix);
  if (target_.PathExists(path)) entry->backup = FreeName(path, kOldSuffix);
  return Record(*entry);
}

bool CChangeJournal::AbandonPlacing(const JournalEntry& entry) {
  const bool failed = Fail(entry.path);
  target_.RemoveFile(entry.staging);
  return failed;
}

bool CChangeJournal::MoveAsideOld(const JournalEntry& entry) {
  return entry.backup.empty() || target_.RenameFile(entry.path, entry.backup) || Fail(entry.path);
}

bool CChangeJournal::PlaceFile(const std::u16string& path,
                               const std::function<bool(const std::u16string& staging)>& write) {
  JournalEntry entry;
  if (!Settle() || !StartPlacing(path, &entry)) return false;
  if (!write(entry.staging)) return AbandonPlacing(entry);
  return MoveAsideOld(entry) && (target_.RenameFile(entry.staging, path) || Fail(path));
}

std::unique_ptr<IStagedFile> CChangeJournal::WriteStaged(
    const JournalEntry& entry, const std::function<bool(IStagedFile& file)>& write) {
  std::unique_ptr<IStagedFile> file = target_.CreateStagedFile(entry.staging);
  if (!file) {
    Fail(entry.path);
    return nullptr;
  }
  if (!write(*file)) {
    file.reset();  // closed before it is removed
    AbandonPlacing(entry);
  }
  return file;
}

bool CChangeJournal::PlaceStreamedFile(const std::u16string& path,
                                       const std::function<bool(IStagedFile& file)>& write) {
  JournalEntry entry;
  if (!Settle() || !StartPlacing(path, &entry)) return false;
  std::unique_ptr<IStagedFile> file = WriteStaged(entry, write);
  return file && MoveAsideOld(entry) && (file->Place(path) || Fail(path));
}

bool CChangeJournal::IsRecordedAhead(const std::u16string& path) const {
  return planned_.count(FoldedAscii(path)) != 0;
}

bool CChangeJournal::PlaceAheadFile(const std::u16string& path,
                                    const std::function<bool(IStagedFile& file)>& write) {
  if (!IsRecordedAhead(path)) return PlaceStreamedFile(path, write);
  JournalEntry entry;
  StartPlacing(path, &entry);  // recorded already
  // Recorded as new, the file is made at its own name, never over another: undoing the run
  // removes it there, whole or partly written, as it would have removed a staging file. No
  // rename is left to do, only the close.
  entry.staging = path;
  std::unique_ptr<IStagedFile> file = WriteStaged(entry, write);
  if (!file) return false;
  if (!placer_) placer_ = std::make_unique<BackgroundPlacer>(target_);
  placer_->Hand(std::move(file), path);
  return true;
}

bool CChangeJournal::Settle() {
  std::u16string path;
  std::u16string reason;
  if (!placer_ || placer_->Finish(&path, &reason)) return true;
  return FailBecause(path, reason);
}

size_t CChangeJournal::PlaceReadyFiles(const std::vector<ReadyFile>& files) {
  if (!Settle()) return 0;
  // A backup name must not be another path of the batch, nor another's backup.
  std::unordered_set<std::u16string> taken;
  for (const ReadyFile& file : files) taken.insert(FoldedAscii(file.path));
  std::vector<JournalEntry> entries;
  for (const ReadyFile& file : files) {
    if (!IsStagingName(file.ready, file.path)) {
      Fail(file.path);
      return 0;
    }
    JournalEntry entry;
    entry.kind = JournalEntry::kFilePlaced;
    entry.path = file.path;
    entry.staging = file.ready;
    if (MayExist(file.path)) {
      entry.backup = FreeName(file.path, kOldSuffix, &taken);
      taken.insert(FoldedAscii(entry.backup));
    }
    entries.push_back(std::move(entry));
  }
  if (!RecordAll(entries)) return 0;
  for (size_t placed = 0; placed < entries.size(); ++placed) {
    const JournalEntry& entry = entries[placed];
    if (!MoveAsideOld(entry)) return placed;
    if (!target_.RenameFile(entry.staging, entry.path)) {
      Fail(entry.path);
      return placed;
    }
  }
  return entries.size();
}

bool CChangeJournal::NoteNewFiles(const std::vector<std::u16string>& paths) {
  return RecordAll(EntriesOf(JournalEntry::kFilePlaced, paths));
}

bool CChangeJournal::RemovePath(const std::u16string& path) {
  const std::u16string bare = WithoutTrailingSeparator(path);
  if (!Settle()) return false;
  if (!target_.PathExists(bare)) return true;
  JournalEntry entry;
  entry.kind = JournalEntry::kFileRemoved;
  entry.path = bare;
  entry.backup = FreeName(bare, kOldSuffix);
  return Record(entry) && (target_.RenameFile(bare, entry.backup) || Fail(bare));
}

bool CChangeJournal::SetValue(const std::u16string& key, const std::u16string& name,
                              const RegistryValue& value) {
  return SetValues({{key, name, value}});
}

bool CChangeJournal::SetValues(const std::vector<ValueChange>& changes) {
  if (!open_) return Fail(journalPath_);
  std::vector<JournalEntry> entries;
  for (const ValueChange& change : changes) {
    JournalEntry entry;
    entry.kind = JournalEntry::kValueChanged;
    entry.key = change.key;
    entry.name = change.name;
    entry.hadPrevious = target_.ReadValue(change.key, change.name, &entry.previous);
    // Each value of a key the run makes names it: undone last first, the first recorded
    // removes the key once the values are gone.
    for (std::u16string at = change.key; !at.empty() && !target_.KeyExists(at);) {
      entry.createdKey = at;
      const size_t last = at.rfind(u'\\');
      at = last == std::u16string::npos ? std::u16string() : at.substr(0, last);
    }
    entries.push_back(std::move(entry));
  }
  if (!RecordAll(entries)) return false;
  for (const ValueChange& change : changes) {
    if (!target_.WriteValue(change.key, change.name, change.value)) {
      return Fail(change.key + u"\\" + change.name);
    }
  }
  return true;
}

bool CChangeJournal::DeleteValue(const std::u16string& key, const std::u16string& name) {
  JournalEntry entry;
  entry.kind = JournalEntry::kValueChanged;
  entry.key = key;
  entry.name = name;
  entry.hadPrevious = target_.ReadValue(key, name, &entry.previous);
  if (!entry.hadPrevious) return true;
  return Record(entry) && (target_.DeleteValue(key, name) || Fail(key + u"\\" + name));
}

bool CChangeJournal::Commit() {
  if (!Settle()) return false;
  JournalEntry committed;
  committed.kind = JournalEntry::kCommitted;
  if (!Record(committed)) return false;
  target_.CloseJournal();
  open_ = false;
  DropBackups(target_, entries_);
  target_.RemoveFile(journalPath_);
  return true;
}

RollbackResult CChangeJournal::Rollback() {
  RollbackResult result;
  if (!open_) return result;
  // The files still waiting to be placed are closed first: an open file cannot be removed.
  placer_.reset();
  target_.CloseJournal();
  open_ = false;
  result.left = UndoEntries(target_, entries_);
  // With a change left the journal stays, for the next run to try again, and so does its folder.
  if (result.Whole() && !target_.RemoveFile(journalPath_)) {
    NoteNotUndone(target_, journalPath_, &result.left);
  }
  const std::vector<std::u16string> folders = RemoveCreatedFolders(target_, entries_);
  result.left.insert(result.left.end(), folders.begin(), folders.end());
  return result;
}

std::vector<std::u16string> UndoEntries(IJournalTarget& target,
                                        const std::vector<JournalEntry>& entries) {
  std::vector<std::u16string> left;
  for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry) {
    switch (entry->kind) {
      case JournalEntry::kFolderCreated:
        if (target.RemoveEmptyFolder(WithoutTrailingSeparator(entry->path))) {
          LogLine(u"rollback: folder removed: " + entry->path);
        }
        break;
      case JournalEntry::kFilePlaced: {
        target.RemoveFile(entry->staging);
        // Without a backup on disk the old file was never moved: what is at path is it.
        const bool restore = !entry->backup.empty() && target.PathExists(entry->backup);
        const bool undone = entry->backup.empty()
                                ? target.RemoveFile(entry->path)
                                : !restore || (target.RemoveFile(entry->path) &&
                                               target.RenameFile(entry->backup, entry->path));
        if (!undone) {
          NoteNotUndone(target, entry->path, &left);
        } else {
          LogLine(std::u16string(restore                 ? u"rollback: file restored: "
                                 : entry->backup.empty() ? u"rollback: file removed: "
                                                         : u"rollback: file kept: ") +
                  entry->path);
        }
        break;
      }
      case JournalEntry::kFileRemoved:
        if (!target.PathExists(entry->backup)) break;
        if (target.RemoveFile(entry->path) && target.RenameFile(entry->backup, entry->path)) {
          LogLine(u"rollback: file put back: " + entry->path);
        } else {
          NoteNotUndone(target, entry->path, &left);
        }
        break;
      case JournalEntry::kValueChanged: {
        const std::u16string value = entry->key + u"\\" + entry->name;
        if (!(entry->hadPrevious ? target.WriteValue(entry->key, entry->name, entry->previous)
                                 : target.DeleteValue(entry->key, entry->name))) {
          NoteNotUndone(target, value, &left);
        } else {
          LogLine(std::u16string(entry->hadPrevious ? u"rollback: value restored: "
                                                    : u"rollback: value removed: ") +
                  value);
        }
        if (entry->createdKey.empty()) break;
        for (std::u16string at = entry->key; at.size() >= entry->createdKey.size();) {
          if (!target.RemoveEmptyKey(at)) break;
          const size_t last = at.rfind(u'\\');
          if (last == std::u16string::npos) break;
          at.resize(last);
        }
        break;
      }
      case JournalEntry::kCommitted:
        break;
    }
  }
  return left;
}

void DropBackups(IJournalTarget& target, const std::vector<JournalEntry>& entries) {
  // No staging file is left once a run commits (each took its place, or the run failed), so none
  // is removed: the name may be a file the run placed since. Nor is a backup whose name a later
  // file of the run took: that file moved the backup aside to a backup of its own first.
  std::vector<std::u16string> placed;
  for (const JournalEntry& entry : entries) {
    if (entry.kind == JournalEntry::kFilePlaced) placed.push_back(FoldedAscii(entry.path));
  }
  std::sort(placed.begin(), placed.end());
  for (const JournalEntry& entry : entries) {
    if (entry.backup.empty() ||
        std::binary_search(placed.begin(), placed.end(), FoldedAscii(entry.backup))) {
      continue;
    }
    if (entry.kind == JournalEntry::kFileRemoved) {
      target.RemoveTree(entry.backup);
    } else {
      target.RemoveFile(entry.backup);
    }
  }
}

bool IsWithinBounds(const JournalEntry& entry, const JournalBounds& bounds) {
  switch (entry.kind) {
    case JournalEntry::kFolderCreated:
      return IsFolderWithin(entry.path, bounds);
    case JournalEntry::kFilePlaced:
    case JournalEntry::kFileRemoved:
      return IsFileWithin(entry.path, bounds) &&
             (entry.staging.empty() || IsStagingName(entry.staging, entry.path)) &&
             (entry.backup.empty() || IsFreeName(entry.backup, entry.path, kOldSuffix));
    case JournalEntry::kValueChanged:
      return IsKeyWithin(entry, bounds);
    case JournalEntry::kCommitted:
      return true;
  }
  return false;
}

JournalRecovery RecoverJournal(IJournalTarget& target, const std::u16string& folder,
                               const std::u16string& journalName, const JournalBounds& bounds) {
  const std::u16string path = folder + journalName;
  std::vector<uint8_t> bytes;
  switch (target.ReadJournal(path, &bytes)) {
    case IJournalTarget::JournalRead::kMissing:
      return JournalRecovery::kNone;
    case IJournalTarget::JournalRead::kBusy:
      return JournalRecovery::kBusy;
    case IJournalTarget::JournalRead::kFailed:
      return JournalRecovery::kFailed;
    case IJournalTarget::JournalRead::kRead:
      break;
  }
  std::u16string owner;
  std::vector<JournalEntry> entries;
  // A journal of another folder, or no journal at all, changes nothing; it is removed so that
  // it does not stand in the way of every later run.
  if (DecodeJournal(bytes.data(), bytes.size(), &owner, &entries) &&
      SameTextIgnoringCase(owner, folder)) {
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [&target, &bounds](const JournalEntry& entry) {
                                   return !IsWithinBounds(entry, bounds) ||
                                          RunsThroughLink(target, entry, bounds);
                                 }),
                  entries.end());
  } else {
    entries.clear();
  }
  const bool committed = IsCommitted(entries);
  if (committed) {
    DropBackups(target, entries);
  } else if (!UndoEntries(target, entries).empty()) {
    return JournalRecovery::kFailed;
  }
  if (!target.RemoveFile(path)) return JournalRecovery::kFailed;
  if (!committed) RemoveCreatedFolders(target, entries);
  return committed ? JournalRecovery::kCompleted : JournalRecovery::kRolledBack;
}
