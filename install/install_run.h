#pragma once
#include <atomic>
#include <cstdint>

struct SplitArchive;
class CChangeJournal;
class CRunTimeLimit;
class IUninstInfo;

// Told of the install's progress: the total and done counts (bytes of a list, entries of an
// archive) and the name of the item just begun, relative to the install folder, or null for a
// count update.
using InstallProgress = void (*)(uint64_t total, uint64_t done, const char16_t* name,
                                 void* context);

// What one install run tells as it goes: its progress and every entry it put in place (the
// uninstall list is built from these, so it names exactly what the install folder got); the
// flag, set from another thread, that asks it to stop before its next entry; and the journal
// every change to the machine goes through, so that the whole run can be undone. How the run
// ended, and what failed, is what it returns (InstallOutcome). Each member may be null but the
// journal, which an install needs.
struct InstallRun {
  InstallProgress progress = nullptr;
  void* context = nullptr;
  IUninstInfo* installed = nullptr;
  const std::atomic<bool>* stop = nullptr;
  CChangeJournal* journal = nullptr;
  // The bound on an unattended run's whole time, which sets stop once it has passed; a run that
  // follows a list adds the time its files may take.
  CRunTimeLimit* timeLimit = nullptr;
  // Where the client archive lies when it was written beside the installer in parts rather than
  // inside its payload; null otherwise.
  const SplitArchive* clientParts = nullptr;

  bool Stopped() const { return stop != nullptr && stop->load(); }

  void Report(uint64_t total, uint64_t done, const char16_t* name) const;
  void Installed(const char16_t* name) const;
};
