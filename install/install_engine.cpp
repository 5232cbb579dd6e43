#include "install/install_engine.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <limits>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "install/delta_staging.h"
#include "install/run_time_limit.h"
#include "product/listed_files.h"
#include "records/current_language.h"
#include "records/update_info.h"
#include "support/crypto/file_verifier.h"
#include "product/installer_names.h"
#include "support/files/entry_path.h"
#include "support/files/file_size.h"
#include "support/files/file_stream.h"
#include "support/http/file_download.h"
#include "support/http/url_parts.h"
#include "support/journal/change_journal.h"
#include "support/system/run_log.h"
#include "support/text/path_text.h"
#include "support/text/utf8.h"

namespace {

// The bytes an entry counts for in the progress: a size below zero counts for none.
uint64_t CountedBytes(int64_t size) { return size > 0 ? static_cast<uint64_t>(size) : 0; }

// How often the thread that runs a list tells the progress and looks at the stop flag while its
// files download.
constexpr auto kWatchPeriod = std::chrono::milliseconds(10);
constexpr int kNoEntry = -1;
// How many downloads the journal records with one write, as they are noted before the lanes
// begin and as they take their places: a list run waits for the disk once for each so many
// files, and holds no more of their names at once.
constexpr size_t kRecordedAtOnce = 1024;
constexpr int kNoFailure = std::numeric_limits<int>::max();

std::u16string Decimal(int64_t value) { return Utf8ToUtf16(std::to_string(value)); }

// Whether a file is at path, for a log line that speaks of it.
bool IsFileThere(const char16_t* path) {
  uint64_t size = 0;
  return GetFileSize(path, &size);
}

}  // namespace

// One connection of a list run and the download on it.
struct CInstall::Lane {
  CInstall* engine = nullptr;
  std::unique_ptr<IHttpSource> source;
  // Ends the lane's download: a stop, or the failure of an entry before the lane's own.
  std::atomic<bool> halt{false};
  int entry = kNoEntry;  // the entry the lane works on, under the dispatch's lock
  uint64_t counted = 0;  // what its download has added to received_ so far
  uint64_t worth = 0;    // what its entry counts for once staged: its size, or its patch's
};

// Which entry a lane takes next and where the run failed, shared by the lanes and the watching
// thread under one lock.
struct CInstall::Dispatch {
  Dispatch(int entries, int lanesWanted)
      : lanes(static_cast<size_t>(lanesWanted)), count(entries), lanesRunning(lanesWanted) {}

  // The entry lane takes next in list order, or kNoEntry once the list is done, an entry has
  // failed or the run is stopped.
  int Take(Lane& lane, bool stopped) {
    std::lock_guard<std::mutex> hold(lock);
    const bool more = next < count && failedAt == kNoFailure && !stopped && !lane.halt;
    lane.entry = more ? next++ : kNoEntry;
    return lane.entry;
  }
  // The lanes on entries after entry end their downloads: the outcome names the first failed
  // entry, so those before it go on to their end.
  void Fail(int entry) {
    std::lock_guard<std::mutex> hold(lock);
    failedAt = std::min(failedAt, entry);
    for (Lane& lane : lanes) {
      if (lane.entry > failedAt) lane.halt = true;
    }
  }
  // Entry's file begins to be staged: its name is the one the progress shows.
  void Begin(int entry) {
    std::lock_guard<std::mutex> hold(lock);
    newest = entry;
  }
  void EndLane() {
    {
      std::lock_guard<std::mutex> hold(lock);
      --lanesRunning;
    }
    laneEnded.notify_one();
  }

  std::vector<Lane> lanes;
  std::mutex lock;
  std::condition_variable laneEnded;
  int count;
  int lanesRunning;
  int next = 0;
  int failedAt = kNoFailure;
  int newest = kNoEntry;
};

void CInstall::SetConnections(int connections) {
  connections_ = std::clamp(connections, 1, kMostConnections);
}

void CInstall::OnReceived(uint64_t staged, uint64_t, void* context) {
  auto* lane = static_cast<Lane*>(context);
  // A download that starts over counts down by what it had told: the sum wraps back.
  lane->engine->received_ += staged - lane->counted;
  lane->counted = staged;
  // Looked at with every piece, so that a stop ends the download before its next one.
  if (lane->engine->run_.Stopped()) lane->halt = true;
}

InstallOutcome CInstall::InstallList(const char16_t* folder, const IUpdateInfo* list) {
  if (folder == nullptr || list == nullptr || run_.journal == nullptr) {
    return InstallOutcome::NotStarted();
  }
  InstallOutcome outcome;
  // A list naming one of the installer's own files would have it replace or delete that file:
  // such a list installs nothing.
  for (int i = 0; i < list->Count() && !outcome.Failed(); ++i) {
    const UpdateItem* entry = list->Get(i);
    if (entry != nullptr && MeetsInstallerFile(entry->file.c_str())) {
      outcome.Fail(entry->file.c_str(), Text(TextKey::kInstallerFileNameReason).c_str());
    }
  }
  if (run_.timeLimit != nullptr) run_.timeLimit->AllowList(*list);
  received_ = 0;
  total_ = CountedBytes(list->TotalSize());
  run_.Report(total_, 0, nullptr);
  // First the downloads are noted, then every file is brought beside its place; the installed
  // files are told in list order once they are in place.
  const size_t count = static_cast<size_t>(list->Count());
  std::vector<Staged> staged(count, Staged::kInPlace);
  std::vector<std::u16string> why(count);
  if (!outcome.Failed() && !NoteDownloads(folder, *list)) {
    outcome.Fail(run_.journal->FailedWhat().c_str(), run_.journal->FailureReason().c_str());
  }
  if (!outcome.Failed()) {
    StageList(folder, *list, &staged, &why);
    if (run_.Stopped()) return InstallOutcome::Stopped();
    for (size_t i = 0; i < count && !outcome.Failed(); ++i) {
      if (staged[i] == Staged::kFailed) {
        outcome.Fail(list->Get(static_cast<int>(i))->file.c_str(), why[i].c_str());
      }
    }
  }
  if (!outcome.Failed()) PlaceStaged(folder, *list, staged, &outcome);
  run_.Report(total_, total_, nullptr);
  return outcome;
}

bool CInstall::IsKept(const UpdateItem& entry) const {
  return keepDownload_ && keepDownload_(entry.file.c_str());
}

bool CInstall::NoteDownloads(const char16_t* folder, const IUpdateInfo& list) {
  std::vector<std::u16string> noted;
  for (int i = 0; i < list.Count(); ++i) {
    const UpdateItem* entry = list.Get(i);
    char16_t path[kPathCapacity];
    char16_t staging[kPathCapacity];
    // An entry refused here is refused again by its lane, which names it.
    if (entry == nullptr || entry->action != UpdateItem::kActionUpdate || IsKept(*entry) ||
        !JoinEntryPath(folder, entry->file.c_str(), path) || !StagingPathFor(path, staging) ||
        run_.journal->CrossesLink(folder, path)) {
      continue;
    }
    noted.emplace_back(staging);
    if (noted.size() == kRecordedAtOnce) {
      if (!run_.journal->NoteNewFiles(noted)) return false;
      noted.clear();
    }
  }
  return run_.journal->NoteNewFiles(noted);
}

void CInstall::StageList(const char16_t* folder, const IUpdateInfo& list,
                         std::vector<Staged>* staged, std::vector<std::u16string>* why) {
  const int lanes = std::min(connections_, list.Count());
  if (lanes <= 0) return;
  Dispatch dispatch(list.Count(), lanes);
  std::vector<std::thread> threads;
  for (Lane& lane : dispatch.lanes) {
    lane.engine = this;
    lane.source = makeSource_();
    threads.emplace_back([this, folder, &list, &dispatch, &lane, staged, why] {
      RunLane(folder, list, dispatch, lane, staged, why);
    });
  }
  uint64_t told = 0;
  int shown = kNoEntry;
  for (bool running = true; running;) {
    int newest = kNoEntry;
    {
      std::unique_lock<std::mutex> hold(dispatch.lock);
      running = !dispatch.laneEnded.wait_for(hold, kWatchPeriod,
                                             [&dispatch] { return dispatch.lanesRunning == 0; });
      newest = dispatch.newest;
    }
    // Between pieces each lane looks at the flag itself; this ends its waits for a reply and its
    // pauses between tries too.
    if (run_.Stopped()) {
      for (Lane& lane : dispatch.lanes) lane.halt = true;
    }
    const uint64_t done = received_;
    if (newest != shown) {
      shown = newest;
      run_.Report(total_, done, list.Get(newest)->file.c_str());
    } else if (done != told) {
      run_.Report(total_, done, nullptr);
    }
    told = done;
  }
  for (std::thread& thread : threads) thread.join();
}

void CInstall::RunLane(const char16_t* folder, const IUpdateInfo& list, Dispatch& dispatch,
                       Lane& lane, std::vector<Staged>* staged, std::vector<std::u16string>* why) {
  for (int i = dispatch.Take(lane, run_.Stopped()); i != kNoEntry;
       i = dispatch.Take(lane, run_.Stopped())) {
    const UpdateItem* entry = list.Get(i);
    if (entry == nullptr || entry->action != UpdateItem::kActionUpdate) continue;
    dispatch.Begin(i);
    const size_t at = static_cast<size_t>(i);
    lane.counted = 0;
    lane.worth = CountedBytes(entry->size);
    (*staged)[at] = Stage(folder, *entry, lane, &(*why)[at]);
    if ((*staged)[at] == Staged::kFailed) {
      dispatch.Fail(i);
    } else {
      // Staged or found in place, the entry counts for what it was worth.
      received_ += lane.worth - lane.counted;
    }
  }
  dispatch.EndLane();
}

CInstall::Staged CInstall::Stage(const char16_t* folder, const UpdateItem& entry, Lane& lane,
                                 std::u16string* why) {
  if (entry.file.empty() || entry.url.empty()) return Staged::kFailed;
  // The list is data: a name that would land outside the folder is refused.
  char16_t path[kPathCapacity];
  char16_t staging[kPathCapacity];
  if (!JoinEntryPath(folder, entry.file.c_str(), path) || !StagingPathFor(path, staging)) {
    return Staged::kFailed;
  }
  {
    std::lock_guard<std::mutex> hold(journalLock_);
    if (run_.journal->CrossesLink(folder, path)) return Staged::kFailed;
  }
  if (VerifyUpdateItem(folder, entry)) {
    // What an earlier run left half way is of no more use.
    RemoveFile(staging);
    return Staged::kInPlace;
  }
  const std::u16string full(path);
  if (entry.size <= 0) return Staged::kFailed;
  const bool kept = IsKept(entry);
  {
    std::lock_guard<std::mutex> hold(journalLock_);
    if (!run_.journal->CreateFolder(full.substr(0, full.rfind(u'\\') + 1))) {
      *why = run_.journal->FailureReason();
      return Staged::kFailed;
    }
  }
  // A patch from the installed file, when the list has one, is tried first; whatever goes wrong
  // with it, the whole file is fetched instead, once.
  const ItemDelta* delta = DeltaForInstalledFile(entry, path);
  const std::u16string patch = full + kPatchStagingSuffix;
  if (delta != nullptr && !kept) {
    // Like the staging file: gone with the rest when the run is undone.
    std::lock_guard<std::mutex> hold(journalLock_);
    if (!run_.journal->NoteNewFiles({patch})) delta = nullptr;
  }
  if (delta != nullptr) {
    // The progress counts the patch's bytes rather than the file's, unless it is dropped.
    const uint64_t saved = CountedBytes(entry.size - delta->size);
    total_ -= saved;
    lane.worth -= saved;
    const DeltaStaging patched =
        StageFromDelta(*lane.source, entry, *delta, path, staging, patch.c_str(),
                       &CInstall::OnReceived, &lane, &lane.halt);
    if (patched.result == DeltaStaging::Result::kStaged) {
      LogLine(u"patched " + entry.file + u": " + Decimal(delta->size) + u" bytes downloaded of " +
              Decimal(entry.size) + u", " + Decimal(entry.size - delta->size) + u" saved");
      return Staged::kReady;
    }
    if (patched.result == DeltaStaging::Result::kStopped) return Staged::kFailed;
    total_ += saved;
    lane.worth += saved;
    LogLine(u"patch dropped: " + entry.file + u": " + patched.why + u"; fetching the whole file");
  } else if (!entry.deltas.empty() && IsFileThere(path)) {
    LogLine(u"no patch applies to the installed " + entry.file + u"; fetching the whole file");
  }
  FixedWString<1024> request;
  if (!MakeUncachedUrl(entry.url.c_str(), &request)) return Staged::kFailed;
  // A transfer cut off leaves what arrived for the next run to resume.
  CFileDownload download(*lane.source);
  download.SetProgress(&CInstall::OnReceived, &lane);
  download.SetStopRequest(&lane.halt);
  const FileVerifier matchesItem = [&entry](const char16_t* file) {
    return FileMatchesUpdateItem(entry, file);
  };
  const DownloadResult result =
      download.Fetch(request.Units(), staging, static_cast<uint64_t>(entry.size), matchesItem);
  if (result == DownloadResult::kDone) {
    LogLine(u"downloaded " + entry.file + u" whole: " + Decimal(entry.size) + u" bytes");
    return Staged::kReady;
  }
  if (result == DownloadResult::kStopped) return Staged::kFailed;
  *why = download.Failure().Describe();
  LogLine(u"download failed: " + entry.url + u": " + *why);
  return Staged::kFailed;
}

void CInstall::PlaceStaged(const char16_t* folder, const IUpdateInfo& list,
                           const std::vector<Staged>& staged, InstallOutcome* outcome) {
  // The downloads the run has noted take their places together, kRecordedAtOnce at most; a
  // download kept for the next run, and a deletion, each alone. The entries are told in list
  // order once in place.
  std::vector<CChangeJournal::ReadyFile> together;
  std::vector<int> told;
  std::vector<int> placing;  // the entry of each of together
  const auto placeTogether = [&] {
    const size_t placed = run_.journal->PlaceReadyFiles(together);
    if (placed < together.size()) {
      outcome->Fail(list.Get(placing[placed])->file.c_str(),
                    run_.journal->FailureReason().c_str());
      return false;
    }
    for (int i : told) run_.Installed(list.Get(i)->file.c_str());
    together.clear();
    told.clear();
    placing.clear();
    return true;
  };
  for (int i = 0; i < list.Count(); ++i) {
    const UpdateItem* entry = list.Get(i);
    if (entry == nullptr) continue;
    const bool update = entry->action == UpdateItem::kActionUpdate;
    char16_t path[kPathCapacity];
    char16_t ready[kPathCapacity];
    if (update && staged[static_cast<size_t>(i)] == Staged::kInPlace) {
      told.push_back(i);
    } else if (update && !IsKept(*entry) && JoinEntryPath(folder, entry->file.c_str(), path) &&
               StagingPathFor(path, ready)) {
      together.push_back({path, ready});
      placing.push_back(i);
      told.push_back(i);
      if (together.size() == kRecordedAtOnce && !placeTogether()) return;
    } else {
      // A kept download or a deletion waits for those before it to take their places.
      if (!placeTogether()) return;
      if (!Apply(folder, *entry)) {
        outcome->Fail(entry->file.c_str(), run_.journal->FailureReason().c_str());
        return;
      }
      if (update) run_.Installed(entry->file.c_str());
    }
  }
  placeTogether();
}

bool CInstall::Apply(const char16_t* folder, const UpdateItem& entry) {
  char16_t path[kPathCapacity];
  if (entry.action == UpdateItem::kActionDelete) {
    // What is already gone is what the list asks for.
    return !entry.file.empty() && JoinEntryPath(folder, entry.file.c_str(), path) &&
           !run_.journal->CrossesLink(folder, path) && run_.journal->RemovePath(path);
  }
  char16_t staging[kPathCapacity];
  return JoinEntryPath(folder, entry.file.c_str(), path) && StagingPathFor(path, staging) &&
         run_.journal->PlaceReadyFiles({{path, staging}}) == 1;
}
