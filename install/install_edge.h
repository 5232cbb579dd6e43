#pragma once
#include <cstdint>
#include <functional>

#include "install/install_checks.h"
#include "install/install_outcome.h"
#include "install/install_run.h"
#include "support/core/fixed_wstring.h"
#include "support/journal/change_journal.h"

class IClientInfo;
class IUninstInfo;
class XZip;

// How a message to the person looks: its icon.
enum class Notice { kWarning, kError };

// The update list an install followed.
struct ListFacts {
  FixedWString<32> digest;    // the MD5 of its bytes, 32 upper-case digits
  FixedWString<128> version;  // the version it names; empty when it names none
  bool refused = false;       // a list arrived that the program's key refuses: none was followed
  bool older = false;         // a signed list older than the package, or naming no version
};

// What the install flow needs of the system it runs on: the clock and the folders of the
// machine, the checks and messages that involve the person, the worker thread, the installs
// themselves and what the finish does to the machine. The flow decides and this carries it out,
// so that the flow's decisions are tested without Windows. CWindowsInstallEdge is the real one.
class IInstallEdge {
 public:
  virtual ~IInstallEdge() = default;

  // Whole seconds since the machine started, for the speed figures.
  virtual int64_t UptimeSecond() = 0;
  // The Windows folder; false when it cannot be read.
  virtual bool GetWindowsFolder(FixedWString<1024>* folder) = 0;
  // The folder an earlier install recorded in the product key, ending with a backslash; false
  // when none is recorded.
  virtual bool ReadInstalledFolder(const IClientInfo& product, FixedWString<1024>* folder) = 0;

  // The checks of install_checks.h; each may ask the person.
  virtual InstalledVersionCheck CheckInstalledVersion(const IClientInfo& product) = 0;
  virtual bool CheckSecuritySoftware(const IClientInfo& product) = 0;
  virtual bool CheckRunningClient(const IClientInfo& product, const char16_t* folder) = 0;
  // Tells the person text in a box with one button, captioned as the install's boxes are.
  virtual void Tell(const char16_t* text, Notice notice) = 0;

  // Runs work on the install worker; false when it cannot start. One work at a time.
  virtual bool StartWorker(std::function<void()> work) = 0;
  // Waits up to timeoutMs for the worker to end; true when none runs (any longer).
  virtual bool WaitForWorker(uint32_t timeoutMs) = 0;
  // Ends the process at once, with exitCode.
  virtual void EndProcess(int exitCode) = 0;

  // The machine the install's journal acts on (the file system and registry).
  virtual IJournalTarget& JournalTarget() = 0;
  // Finishes with a journal an earlier, killed run of product left in folder
  // (folder_recovery.h).
  virtual JournalRecovery RecoverFolder(const IClientInfo& product, const char16_t* folder) = 0;

  // The installs, run on the worker and told to run as they go, every change through run's
  // journal; each returns how it ended and what failed. Archive mode (archive_install.h): the
  // nested client archive nestedName of payload into folder. Download mode: the update list the
  // product publishes, followed into folder (install_engine.h), its digest and version into
  // list; not started, before any progress, when no list arrived, it is no list, or the
  // program's key refuses its signature (which list's refused tells). Both end stopped when
  // run's stop ended them.
  virtual InstallOutcome InstallArchive(XZip& payload, const char16_t* nestedName,
                                        const char16_t* folder, const InstallRun& run) = 0;
  virtual InstallOutcome InstallPublished(const IClientInfo& product, const char16_t* folder,
                                          const InstallRun& run, ListFacts* list) = 0;
  // The install report (install_report.h) of a committed install, best effort: it waits on the
  // network, so it is sent off the calling thread, reading product meanwhile. One per install.
  virtual void ReportInstall(const IClientInfo& product, const char16_t* packageVersion) = 0;
  // Waits up to timeoutMs for the report to be sent; true when none is being sent (any longer).
  virtual bool WaitForReport(uint32_t timeoutMs) = 0;

  // The finish: registers the installed product (installed, what the install put in place) as
  // steps of journal (registration_steps.h), and makes it start with Windows when
  // startWithWindows; false at the first step that fails. Launches the installed client.
  virtual bool Register(CChangeJournal& journal, const IClientInfo& product,
                        const IUninstInfo& installed, bool startWithWindows) = 0;
  virtual void LaunchClient(const IClientInfo& product) = 0;
};
