#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "install/exit_codes.h"
#include "install/install_edge.h"
#include "install/install_outcome.h"
#include "install/progress_figures.h"
#include "install/run_time_limit.h"
#include "records/client_info.h"
#include "records/uninst_info.h"
#include "support/core/fixed_wstring.h"
#include "support/journal/change_journal.h"

class XZip;
struct SplitArchive;

// What the window shows, as the flow last set it. The flow changes it on the worker too; the
// window takes a copy (CInstallFlow::View) on its own thread and draws that.
struct InstallView {
  bool firstPageVisible = true;
  bool waitingVisible = false;
  bool progressVisible = false;  // progress bar, status, percentage and (download) detail texts
  bool finishButtonVisible = false;
  bool slowNetworkVisible = false;
  FixedWString<1024> statusText;
  FixedWString<32> percentText;
  FixedWString<256> detailText;
  uint32_t progressRange = 100;
  uint32_t progressPosition = 0;
};

// What the flow asks of the window that owns it (or of a test in its place).
class IInstallObserver {
 public:
  virtual ~IInstallObserver() = default;
  // The view changed and needs drawing again. Called on the worker too: a window posts itself a
  // message and takes the view on its own thread.
  virtual void OnViewChanged() = 0;
  // Delivers id to OnCommand later, on the window's thread (a posted WM_COMMAND). Called on the
  // worker.
  virtual void PostCommand(int id) = 0;
  // The window closes and the process ends with exitCode.
  virtual void Close(int exitCode) = 0;
};

// The install without its window: the install folder, the states, the checks, the worker that
// runs the install, the progress bookkeeping and the finish. It decides; edge does what it
// decides on the machine.
class CInstallFlow {
 public:
  enum State { kReady = 0, kInstalling = 1, kFinished = 2, kLaunching = 3 };

  static constexpr int kStartCommand = 4100;
  static constexpr int kFinishCommand = 4101;
  // Posted by the worker once the engine has processed every entry.
  static constexpr int kCompletedCommand = 4102;
  // Posted by the worker when the install failed before any progress.
  static constexpr int kNotStartedCommand = 4107;
  // Posted by the worker when a silent download-mode install ran past its time bound and stopped.
  static constexpr int kOutOfTimeCommand = 4108;

  // How long Cancel waits for the worker. It stops after the entry at hand, or within one piece
  // of a download; only a call into the system that does not return keeps it longer.
  static constexpr uint32_t kStopWaitMs = 10000;
  // How long the flow's end waits for the install report still being sent: longer than a report
  // to an endpoint that never answers takes (the connection's, the sending's and the reply's
  // waits), so that only one still trickling in is cut off.
  static constexpr uint32_t kReportWaitMs = 15000;

  // product is the program's product record, which the checks, the report and the finish read
  // and complete; payload is the installer's payload archive, null when it carries none (its
  // client is then downloaded); clientParts, when not null, is where the client archive lies
  // beside the installer instead of in the payload. They and edge outlive the flow.
  CInstallFlow(IInstallObserver* observer, IInstallEdge& edge, IClientInfo& product,
               XZip* payload, bool silent, const SplitArchive* clientParts = nullptr);
  // Cancels a running install (see Cancel).
  ~CInstallFlow();
  CInstallFlow(const CInstallFlow&) = delete;
  CInstallFlow& operator=(const CInstallFlow&) = delete;

  // Archive mode when the configured archive file is in the payload; then the install folder:
  // the one recorded in the product key, else the programs folder of the Windows drive; then
  // what an earlier run of that folder left half done is undone (or, committed, cleaned up).
  // False when no folder is known, or an earlier run's journal is held by a run still going or
  // cannot be undone (the person is told).
  bool Prepare();
  // The install folder for a folder the user chose.
  void ChooseInstallFolder(const char16_t* folder);
  // The folder box's text, taken at the start of an interactive install, or /DIR's folder,
  // taken at the start of a silent one: either is checked as the start checks a typed folder.
  void SetFolderText(const char16_t* folder) { folderText_.Assign(folder); }

  // In archive mode with an install folder, before any install: the installed-version check,
  // then what it decided: a newer version installed finishes with it, a declined repair closes
  // the window with kExitCancelled. Runs once the window is built and before a silent install
  // starts, so nothing is written over a newer version; after the start it does nothing.
  void CheckVersion();
  // Checks, begins the install's journal in the install folder (undoing first what an earlier
  // run left there), switches to the progress page and starts the worker. False when a check or
  // the journal stopped it (a silent install then closes with kExitNotStarted, or
  // kExitAnotherRunGoing when an earlier run's journal stopped it). A silent install that downloads
  // is held to a bound on its whole time (run_time_limit.h) from here: past it, it stops as a
  // cancel stops it, its changes are undone and the window closes with kExitFilesFailed.
  bool StartInstall();
  // The worker's body.
  bool RunInstall();
  // The progress routine; runs on the worker. It shows the install; the uninstall list is kept
  // by the install from what it put in place.
  void ShowProgress(const char16_t* name, uint64_t total, uint64_t done);
  // The commands above; true when id is one of them.
  bool OnCommand(int id);
  // The finish of a completed install, a transaction: when every entry was put in place and the
  // install left a usable client (some file, and the client file in the folder), "uninst.dat" is
  // saved, the product registered and the journal committed, each a recorded step; then the
  // install is reported, when it put in place the version the package was made with. Anything
  // else (a failed entry, no usable client, a failed step) undoes every change the install made,
  // last first, tells the user what failed and that nothing was changed (or what the undo left,
  // with its path), and closes the window with kExitFilesFailed: an upgrade that fails leaves
  // the earlier version as it was.
  void FinishInstall();
  void FinishExisting();
  // Asks a running install to stop, waits for the worker to end, at most kStopWaitMs, and undoes
  // every change the install made: nothing is registered or reported; the observer hears
  // nothing more, and the log what the undo could not put back. A worker still running after the
  // wait is stuck in the system: the process then ends at once, with kExitFilesFailed, rather
  // than free what the worker uses, and the next run undoes the journal it left. The flow
  // installs nothing after a Cancel. After a commit it waits for the install report still being
  // sent, at most kReportWaitMs, and ends the process, with kExitInstalled, when it has not
  // ended by then. Call it from the thread that owns the flow, while the observer still exists.
  void Cancel();

  State GetState() const { return state_.load(); }
  // An install that could not start (no list, no archive) installed nothing and leaves nothing
  // to abort: the window closes without asking, ending as not started.
  bool CouldNotStart() const { return couldNotStart_.load(); }
  // The install folder's journal is held by a run still going, or what a killed one left cannot
  // be undone yet: Prepare or the start refused it, and a later run may go ahead.
  bool EarlierRunGoing() const { return earlierRunGoing_; }
  // A copy of the view as it stands; safe on any thread.
  InstallView View() const {
    std::lock_guard<std::mutex> lock(viewLock_);
    return view_;
  }
  const FixedWString<1024>& GetInstallFolder() const { return installFolder_; }
  bool IsArchiveMode() const { return nestedArchive_; }
  const CUninstInfo& UninstallList() const { return uninstallList_; }
  const InstallOutcome& Outcome() const { return outcome_; }

 private:
  void ShowFinishPage();
  // Every report of either mode, followed by the pause that lets the window paint.
  static void Report(uint64_t total, uint64_t done, const char16_t* name, void* self);
  // The payload's "update.xml", which an archive install follows: its digest and version.
  ListFacts PayloadListFacts();
  void NotStarted();
  // Undoes what an earlier, killed run left in the install folder; false (the person told) when
  // that run still goes or cannot be undone.
  bool RecoverEarlierRun();
  // The install failed: every change is undone, the user told why and what the undo left
  // (unless silent), the log too, the window closed with kExitFilesFailed.
  void UndoInstall();
  // The install ran past its time bound and stopped: every change is undone, the window closed
  // with kExitFilesFailed.
  void EndOutOfTime();

  IInstallObserver* observer_;
  IInstallEdge& edge_;
  XZip* payload_;
  const SplitArchive* clientParts_;  // the client archive beside the installer, when it is there
  bool silent_;
  bool nestedArchive_ = false;
  IClientInfo& product_;
  CUninstInfo uninstallList_;
  FixedWString<1024> installFolder_;
  FixedWString<1024> folderText_;
  ListFacts list_;  // empty when the install followed no list
  FixedWString<128> reportVersion_;  // what the report names once committed; empty: no report
  CChangeJournal journal_;  // every change of the install, to commit or undo whole
  std::atomic<State> state_{kReady};
  std::atomic<bool> stopRequested_{false};
  std::unique_ptr<CRunTimeLimit> timeLimit_;  // a silent download's; sets stopRequested_
  mutable std::mutex viewLock_;  // the worker writes the view while the window copies it
  InstallView view_;
  ProgressFigures figures_;
  InstallOutcome outcome_;
  bool completed_ = false;  // the completion is posted once per install
  std::atomic<bool> couldNotStart_{false};
  bool earlierRunGoing_ = false;
};
