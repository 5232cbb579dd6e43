#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "install/install_outcome.h"
#include "install/install_run.h"
#include "support/http/http_source.h"

class IUninstInfo;
class IUpdateInfo;
struct UpdateItem;

// The most files a list run downloads at once, and how many unless told otherwise. A list is
// mostly small files, each waiting on its request's round trip more than on its bytes, and a
// download under Wine or WinINet costs more between round trips than curl's: eight keep up with
// curl's eight (`make bench`) where six fall behind, and one run still asks a vendor's server for
// no more connections than a download tool does.
constexpr int kMostConnections = 8;
constexpr int kDefaultConnections = kMostConnections;

// The download-mode engine: follows an update list in two steps. First every listed file not
// already in place with the listed size and digest is downloaded beside its place
// ("<file>.download~") and checked whole, several at once, each over a connection of its own; a
// run cut off there has changed no installed file.
// Then, through the run's journal, each takes its place (the old file moved aside) and what the
// list marks for deletion is moved aside, so that the whole list can be undone. A download that
// fails is logged with its URL and why (an HTTP status, the system's words, too slow, not the
// listed file), which is the outcome's reason too.
class CInstall {
 public:
  // Each connection downloads through a source of its own from makeSource (a CHttpGet in the
  // product), made when a list run begins and gone when it ends.
  explicit CInstall(HttpSourceMaker makeSource) : makeSource_(std::move(makeSource)) {}

  // How many files a list run downloads at once: connections held to 1..kMostConnections.
  void SetConnections(int connections);

  void SetCallback(InstallProgress callback, void* context) {
    run_.progress = callback;
    run_.context = context;
  }
  // Follows list into folder, to its end or to its first failed entry in list order, which the
  // outcome names with the reason (the caller then undoes the journal): a failed download ends
  // those of later entries, and those of earlier ones go on to their end. Not started for a
  // missing folder, list or journal; stopped when a stop ended the run. The progress is told from
  // the calling thread, the bytes of every download at once summed.
  InstallOutcome InstallList(const char16_t* folder, const IUpdateInfo* list);

  // Receives the name of every listed file that a list run leaves in place, downloaded or found
  // there already, in list order; null for none.
  void SetInstalledList(IUninstInfo* installed) { run_.installed = installed; }
  // A flag another thread sets to stop a list run: it is looked at before each entry and while
  // files download, every download then ends and the run ends stopped. Null for none.
  void SetStopRequest(const std::atomic<bool>* stop) { run_.stop = stop; }
  // The journal the changes go through; it must have begun.
  void SetJournal(CChangeJournal* journal) { run_.journal = journal; }
  // The bound on the run's whole time, which InstallList raises by what its list downloads; null
  // for none.
  void SetTimeLimit(CRunTimeLimit* limit) { run_.timeLimit = limit; }
  // Which downloads an undone run leaves for the next run to go on from (the updater keeps those
  // of files the install already has); without it, undoing the journal removes them all with the
  // rest, so that a first install leaves nothing. Called from the download threads.
  void KeepDownloadsOf(std::function<bool(const char16_t* file)> kept) {
    keepDownload_ = std::move(kept);
  }

 private:
  enum class Staged { kInPlace, kReady, kFailed };
  struct Lane;
  struct Dispatch;
  static void OnReceived(uint64_t staged, uint64_t expected, void* lane);
  // Stages the list's entries on as many lanes as there are connections, each lane taking the
  // next entry in list order, while this thread tells the progress and hands a stop on to every
  // lane. (*staged)[i] and (*why)[i] are entry i's; an entry no lane began stays kInPlace.
  void StageList(const char16_t* folder, const IUpdateInfo& list, std::vector<Staged>* staged,
                 std::vector<std::u16string>* why);
  void RunLane(const char16_t* folder, const IUpdateInfo& list, Dispatch& dispatch, Lane& lane,
               std::vector<Staged>* staged, std::vector<std::u16string>* why);
  // Brings entry's file beside its place over lane's connection, whole and checked, unless it
  // is in place already; when it cannot, why goes to *why.
  Staged Stage(const char16_t* folder, const UpdateItem& entry, Lane& lane, std::u16string* why);
  // Whether an undone run leaves entry's download for the next (KeepDownloadsOf).
  bool IsKept(const UpdateItem& entry) const;
  // Records the staging names of the entries' downloads an undone run removes, before any is
  // made: a few writes to the journal for the whole list. False when the journal could not.
  bool NoteDownloads(const char16_t* folder, const IUpdateInfo& list);
  // Puts the staged files in their places and moves those the list deletes aside, in list order,
  // to the end or to the first that fails, which the outcome names.
  void PlaceStaged(const char16_t* folder, const IUpdateInfo& list,
                   const std::vector<Staged>& staged, InstallOutcome* outcome);
  // Puts one staged file in its place, or moves a file the list deletes aside.
  bool Apply(const char16_t* folder, const UpdateItem& entry);

  HttpSourceMaker makeSource_;
  int connections_ = kDefaultConnections;
  // The bytes the list run counts for: a file found in place or fetched whole for its size, one
  // that comes as a patch for the patch's.
  std::atomic<uint64_t> total_{0};
  // The bytes of the entries staged or found in place, and of those being downloaded, so far.
  std::atomic<uint64_t> received_{0};
  // The journal serves one caller at a time.
  std::mutex journalLock_;
  std::function<bool(const char16_t* file)> keepDownload_;
  InstallRun run_;
};
