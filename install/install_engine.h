#pragma once
#include <cstdint>

#include "install/install_outcome.h"
#include "install/install_run.h"

class IUninstInfo;
class IUpdateInfo;
struct UpdateItem;

// The download-mode engine: follows an update list, putting each listed file into the install
// folder (downloaded unless already there with the listed size and digest) and deleting what
// the list marks for deletion.
class CInstall {
 public:
  void SetCallback(InstallProgress callback, void* context) {
    run_.progress = callback;
    run_.context = context;
  }
  // Follows list into folder. True when it was followed to its end (entries may still have
  // failed; see the outcome); false for a missing folder or list, or when a stop ended the run.
  bool InstallList(const char16_t* folder, const IUpdateInfo* list);
  bool InstallEntry(const char16_t* folder, const UpdateItem* entry);

  // Receives the name of every listed file that a list run leaves in place, downloaded or found
  // there already, in list order; null for none.
  void SetInstalledList(IUninstInfo* installed) { run_.installed = installed; }
  // A flag another thread sets to stop a list run: it is looked at before each entry and while a
  // file downloads, and the run then ends with false. Null for none.
  void SetStopRequest(const std::atomic<bool>* stop) { run_.stop = stop; }
  // The entries of the last list that could not be put in place.
  const InstallOutcome& Outcome() const { return outcome_; }

 private:
  static void OnReceived(uint32_t staged, uint32_t expected, void* self);

  uint32_t total_ = 0;
  uint32_t done_ = 0;
  InstallRun run_;
  InstallOutcome outcome_;
};
