#include "install/archive_install.h"

#include <algorithm>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "product/installer_names.h"
#include "records/current_language.h"
#include "support/files/entry_path.h"
#include "support/files/xdata.h"
#include "support/journal/change_journal.h"
#include "support/text/path_text.h"
#include "support/zip/entry_pipeline.h"
#include "support/zip/indexed_entry_reader.h"
#include "support/zip/part_digest_check.h"
#include "support/zip/xzip.h"
#include "support/zip/zip_entry_source.h"

namespace {

// The client archive inside the payload, once for each reader: where it is stored as it is, read
// where it lies; otherwise read out of the payload once and every reader opened over that copy.
class ClientArchive {
 public:
  bool Find(XZip& payload, const char16_t* name, const SplitArchive* parts) {
    parts_ = parts;
    if (parts_ != nullptr) return true;
    payload_ = &payload;
    index_ = payload.Find(name, nullptr);
    if (index_ < 0) return false;
    XZip probe;
    inPlace_ = probe.OpenNested(payload, index_, XZip::GetArchivePassword());
    return inPlace_ || payload.ReadItem(index_, &copy_);
  }
  bool OpenReader(XZip& reader) {
    if (parts_ != nullptr) return reader.OpenParts(parts_->files, XZip::GetArchivePassword());
    return inPlace_ ? reader.OpenNested(*payload_, index_, XZip::GetArchivePassword())
                    : reader.OpenMemory(copy_.Data(), copy_.Length(), XZip::GetArchivePassword());
  }

 private:
  const SplitArchive* parts_ = nullptr;  // beside the installer: read there
  XZip* payload_ = nullptr;
  int index_ = -1;
  bool inPlace_ = false;
  XData copy_;  // when not in place; outlives the readers over it
};

// What the install does with the archive's entries, settled on the install thread before any
// file is written: each name checked, each folder made (once), the files listed in order.
struct EntryPlan {
  struct Entry {
    std::u16string name;  // with "\" separators
    std::u16string path;
    bool folder = false;
    // A file with a piece index, read on every worker at once rather than by the pipeline.
    std::unique_ptr<IndexedEntry> pieces;
  };
  std::vector<Entry> entries;  // those before the first that failed here
  // Where the other file entries are in the archive, in entry order: the pipeline's items.
  std::shared_ptr<std::vector<int>> files = std::make_shared<std::vector<int>>();
  // The entry after the last one planned, failed here, if any: its name (empty when it could
  // not be read), whether it named a place inside the folder, and the system's reason.
  bool failed = false;
  std::u16string failedName;
  bool failedAccepted = false;
  std::u16string failedReason;
};

// Ends plan before its entry at, which failed for reason (its folder could not be made).
void EndPlanAt(size_t at, const std::u16string& reason, EntryPlan& plan) {
  plan.failed = true;
  plan.failedName = plan.entries[at].name;
  plan.failedAccepted = true;
  plan.failedReason = reason;
  size_t files = 0;
  for (size_t i = 0; i < at; ++i) {
    if (!plan.entries[i].folder && !plan.entries[i].pieces) ++files;
  }
  plan.entries.resize(at);
  plan.files->resize(files);
}

// Checks each name and makes the folders the entries need, in entry order, until the first entry
// that fails: a name that cannot be read, one of the installer's own names, one outside folder (a
// folder link inside it would carry the write elsewhere, too), or a folder that cannot be made.
// The folders are recorded in the journal with one write once the names are checked. False when
// run's stop was set.
bool PlanEntries(XZip& archive, const char16_t* folder, const InstallRun& run, EntryPlan& plan) {
  CChangeJournal& journal = *run.journal;
  std::vector<std::u16string> needs;  // each planned entry's folder
  const int count = archive.GetCount();
  for (int i = 0; i < count; ++i) {
    if (run.Stopped()) return false;
    char16_t name[XZip::kNameCapacity];
    char16_t path[kPathCapacity];
    const bool read = archive.GetName(i, name);
    // In a folder the run made, nothing can be a link: only the names above it need the look.
    const bool ownName = read && MeetsInstallerFile(name);
    const bool accepted = read && !ownName && JoinEntryPath(folder, name, path) &&
                          (journal.MadeFolder(ParentFolderOf(path)) ||
                           !journal.CrossesLink(folder, path));
    for (int k = 0; name[k] != 0; ++k) {
      if (name[k] == u'/') name[k] = u'\\';
    }
    EntryPlan::Entry entry{name, accepted ? path : u"", archive.IsFolder(i), nullptr};
    if (!accepted) {
      plan.failed = true;
      plan.failedName = name;
      plan.failedReason = ownName ? Text(TextKey::kInstallerFileNameReason) : u"";
      break;
    }
    needs.push_back(entry.folder ? AsFolderPath(entry.path) : ParentFolderOf(entry.path));
    // The run makes the folders missing on the way: a later entry in one needs no link check.
    journal.PlanFolder(needs.back());
    IndexedEntry indexed;
    if (!entry.folder && archive.FindPieces(i, &indexed)) {
      entry.pieces = std::make_unique<IndexedEntry>(std::move(indexed));
    } else if (!entry.folder) {
      plan.files->push_back(i);
    }
    plan.entries.push_back(std::move(entry));
  }
  // The first CreateFolder records every planned folder with one write.
  std::unordered_set<std::u16string> made;
  for (size_t i = 0; i < plan.entries.size(); ++i) {
    if (made.count(needs[i]) != 0) continue;
    if (!journal.CreateFolder(needs[i])) {
      EndPlanAt(i, journal.FailureReason(), plan);
      break;
    }
    made.insert(needs[i]);
  }
  return true;
}

// Records the files of up to kNewFilesPerJournalRecord entries from the one at from as about to be made;
// *end receives the entry after the last one recorded.
bool RecordNextFiles(const EntryPlan& plan, size_t from, CChangeJournal& journal, size_t* end) {
  std::vector<std::u16string> paths;
  size_t i = from;
  for (; i < plan.entries.size() && paths.size() < kNewFilesPerJournalRecord; ++i) {
    if (!plan.entries[i].folder) paths.push_back(plan.entries[i].path);
  }
  *end = i;
  return journal.PlanNewFiles(paths);
}

// Writes the pipeline's next item to path through the journal: a new file recorded ahead at path
// itself, closed behind the install (the journal's Settle tells whether it was); any other into
// its staging file, which takes path's place only once the entry was read whole and its CRC
// matched. A file whose CRC fails is removed, wherever it was written.
EntryResult PlaceNextFile(EntryPipeline& pipeline, CChangeJournal& journal,
                          const std::u16string& path) {
  EntryResult result = EntryResult::kFailed;
  const bool placed = journal.PlaceAheadFile(path, [&pipeline, &result](IEntrySink& file) {
    result = pipeline.WriteNext(file);
    return result == EntryResult::kRead;
  });
  // Read whole, but the file could not take its place.
  if (!placed && result == EntryResult::kRead) return EntryResult::kFailed;
  return result;
}

// Writes the entry with a piece index to path as PlaceNextFile does, its pieces inflated on every
// reader's worker and put at their places in the staging file.
EntryResult PlaceIndexedFile(const IndexedEntry& pieces,
                             const std::vector<std::unique_ptr<ArchiveBytes>>& readers,
                             CChangeJournal& journal, const std::u16string& path,
                             const std::atomic<bool>* stop) {
  EntryResult result = EntryResult::kFailed;
  const bool placed = journal.PlaceStreamedFile(path, [&](IStagedFile& file) {
    result = ReadIndexedEntry(pieces, readers, file, stop);
    return result == EntryResult::kRead;
  });
  if (!placed && result == EntryResult::kRead) return EntryResult::kFailed;
  return result;
}

// The name of the entry the journal's last failure is about: a file placed behind the install
// fails later than it was written. fallback when the failure names no entry.
const std::u16string& FailedEntryName(const EntryPlan& plan, const CChangeJournal& journal,
                                      const std::u16string& fallback) {
  for (const EntryPlan::Entry& entry : plan.entries) {
    if (!entry.path.empty() && entry.path == journal.FailedWhat()) return entry.name;
  }
  return fallback;
}

// Puts the planned entries in place, in order, until the first that fails.
InstallOutcome PlaceEntries(const EntryPlan& plan, EntryPipeline& pipeline,
                            const std::vector<std::unique_ptr<ArchiveBytes>>& pieceReaders,
                            const InstallRun& run, int count) {
  CChangeJournal& journal = *run.journal;
  InstallOutcome outcome;
  size_t recorded = 0;  // the entries whose files the journal has recorded ahead
  for (size_t i = 0; i < plan.entries.size(); ++i) {
    if (run.Stopped()) return InstallOutcome::Stopped();
    const EntryPlan::Entry& entry = plan.entries[i];
    if (!entry.folder) {
      const bool ready = i < recorded || RecordNextFiles(plan, i, journal, &recorded);
      EntryResult result = EntryResult::kFailed;
      if (ready && entry.pieces) {
        result = PlaceIndexedFile(*entry.pieces, pieceReaders, journal, entry.path, run.stop);
      } else if (ready) {
        result = PlaceNextFile(pipeline, journal, entry.path);
      }
      if (result == EntryResult::kStopped) return InstallOutcome::Stopped();
      if (result != EntryResult::kRead) {
        const std::u16string& failed = FailedEntryName(plan, journal, entry.name);
        outcome.Fail(failed.c_str(), journal.FailureReason().c_str());
        run.Report(count, static_cast<uint32_t>(i + 1), failed.c_str());
        // The install is undone whole at its first failure: what follows would be undone too.
        return outcome;
      }
    }
    run.Installed(entry.name.c_str());
    run.Report(count, static_cast<uint32_t>(i + 1), entry.name.c_str());
  }
  if (!plan.failed) return outcome;
  if (run.Stopped()) return InstallOutcome::Stopped();
  outcome.Fail(plan.failedName.c_str(), plan.failedReason.c_str());
  run.Report(count, static_cast<uint32_t>(plan.entries.size() + 1),
             plan.failedAccepted ? plan.failedName.c_str() : nullptr);
  return outcome;
}

// InstallFromArchive's run through the entries, without the parts' authentication.
InstallOutcome InstallEntries(XZip& payload, const char16_t* nestedName, const char16_t* folder,
                              const InstallRun& run) {
  if (nestedName == nullptr || nestedName[0] == 0 || folder == nullptr || folder[0] == 0 ||
      run.journal == nullptr) {
    return InstallOutcome::NotStarted();
  }
  ClientArchive client;
  if (!client.Find(payload, nestedName, run.clientParts)) return InstallOutcome::NotStarted();
  EntryPlan plan;
  std::vector<std::unique_ptr<IEntrySource>> sources;
  for (int i = 0; i < EntryPipeline::WorkerCount(); ++i) {
    auto source = std::make_unique<ZipEntrySource>(plan.files);
    if (!client.OpenReader(source->Archive())) return InstallOutcome::NotStarted();
    sources.push_back(std::move(source));
  }
  // The first reader reads the names before the pipeline starts; the readers share the plan's
  // list of files, complete by then.
  XZip& names = static_cast<ZipEntrySource&>(*sources.front()).Archive();
  const int count = names.GetCount();
  if (!PlanEntries(names, folder, run, plan)) return InstallOutcome::Stopped();
  // The pieced entries' readers, one for each worker, made while the names' reader is still this
  // thread's.
  std::vector<std::unique_ptr<ArchiveBytes>> pieceReaders;
  const bool pieced =
      std::any_of(plan.entries.begin(), plan.entries.end(),
                  [](const EntryPlan::Entry& entry) { return entry.pieces != nullptr; });
  for (int i = 0; pieced && i < EntryPipeline::WorkerCount(); ++i) {
    pieceReaders.push_back(names.OpenBytes());
  }
  EntryPipeline pipeline(std::move(sources), static_cast<int>(plan.files->size()), run.stop);
  const InstallOutcome outcome = PlaceEntries(plan, pipeline, pieceReaders, run, count);
  // However the run ended, the files placed behind it are in place, or failed, before it is
  // told; such a failure is the first, its file handed on before any other failed.
  CChangeJournal& journal = *run.journal;
  if (journal.Settle() || outcome.ending == InstallOutcome::Ending::kStopped) return outcome;
  InstallOutcome failed;
  failed.Fail(FailedEntryName(plan, journal, journal.FailedWhat()).c_str(),
              journal.FailureReason().c_str());
  return failed;
}

}  // namespace

InstallOutcome InstallFromArchive(XZip& payload, const char16_t* nestedName,
                                  const char16_t* folder, const InstallRun& run) {
  if (run.clientParts == nullptr) return InstallEntries(payload, nestedName, folder, run);
  PartDigestCheck check(*run.clientParts, run.stop);
  const InstallOutcome outcome = InstallEntries(payload, nestedName, folder, run);
  if (outcome.ending == InstallOutcome::Ending::kStopped) return outcome;
  // Whatever the entries made of them, bytes that are not the packaged ones are the failure: the
  // install is undone, naming the file that is to blame.
  const int damaged = check.FirstMismatch();
  if (run.Stopped()) return InstallOutcome::Stopped();
  if (damaged < 0) return outcome;
  InstallOutcome refused;
  refused.Fail(run.clientParts->records[damaged].name.c_str(),
               Text(TextKey::kDamagedPartReason).c_str());
  return refused;
}
