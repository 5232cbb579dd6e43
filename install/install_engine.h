#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "install/install_outcome.h"
#include "install/install_run.h"

class IHttpSource;
class IUninstInfo;
class IUpdateInfo;
struct UpdateItem;

// The download-mode engine: follows an update list in two steps. First every listed file not
// already in place with the listed size and digest is downloaded beside its place
// ("<file>.download~") and checked whole; a run cut off there has changed no installed file.
// Then, through the run's journal, each takes its place (the old file moved aside) and what the
// list marks for deletion is moved aside, so that the whole list can be undone. A download that
// fails is logged with its URL and why (an HTTP status, the system's words, too slow, not the
// listed file), which is the outcome's reason too.
class CInstall {
 public:
  // The files are downloaded from source (CHttpGet in the product), which outlives the engine.
  explicit CInstall(IHttpSource& source) : source_(source) {}

  void SetCallback(InstallProgress callback, void* context) {
    run_.progress = callback;
    run_.context = context;
  }
  // Follows list into folder, to its end or to its first failed entry, which the outcome names
  // with the reason (the caller then undoes the journal). Not started for a missing folder, list
  // or journal; stopped when a stop ended the run.
  InstallOutcome InstallList(const char16_t* folder, const IUpdateInfo* list);

  // Receives the name of every listed file that a list run leaves in place, downloaded or found
  // there already, in list order; null for none.
  void SetInstalledList(IUninstInfo* installed) { run_.installed = installed; }
  // A flag another thread sets to stop a list run: it is looked at before each entry and while a
  // file downloads, and the run then ends stopped. Null for none.
  void SetStopRequest(const std::atomic<bool>* stop) { run_.stop = stop; }
  // The journal the changes go through; it must have begun.
  void SetJournal(CChangeJournal* journal) { run_.journal = journal; }
  // The bound on the run's whole time, which InstallList raises by what its list downloads; null
  // for none.
  void SetTimeLimit(CRunTimeLimit* limit) { run_.timeLimit = limit; }
  // Which downloads an undone run leaves for the next run to go on from (the updater keeps those
  // of files the install already has); without it, undoing the journal removes them all with the
  // rest, so that a first install leaves nothing.
  void KeepDownloadsOf(std::function<bool(const char16_t* file)> kept) {
    keepDownload_ = std::move(kept);
  }

 private:
  enum class Staged { kInPlace, kReady, kFailed };
  static void OnReceived(uint64_t staged, uint64_t expected, void* self);
  // Brings entry's file beside its place, whole and checked, unless it is in place already;
  // when it cannot, why goes to *why.
  Staged Stage(const char16_t* folder, const UpdateItem& entry, std::u16string* why);
  // Puts a staged file in its place, or moves a file the list deletes aside.
  bool Apply(const char16_t* folder, const UpdateItem& entry);

  IHttpSource& source_;
  uint64_t total_ = 0;  // bytes
  uint64_t done_ = 0;
  std::function<bool(const char16_t* file)> keepDownload_;
  InstallRun run_;
};
