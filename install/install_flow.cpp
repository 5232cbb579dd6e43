#include "install/install_flow.h"

#include <string>
#include <string_view>

#include "install/client_file.h"
#include "install/install_folder.h"
#include "product/folder_recovery.h"
#include "product/uninstall_list_file.h"
#include "records/current_language.h"
#include "records/update_info.h"
#include "support/core/text_length.h"
#include "support/crypto/md5.h"
#include "support/files/filesystem_path.h"
#include "support/files/xdata.h"
#include "support/system/run_log.h"
#include "support/text/path_text.h"
#include "support/zip/xzip.h"

namespace {

// Folders alone are no install: some entry must be a file.
bool PutAnyFile(const CUninstInfo& installed) {
  for (int i = 0; i < installed.Count(); ++i) {
    const char16_t* entry = installed.Get(i);
    const int length = TextLength(entry);
    if (length != 0 && entry[length - 1] != u'\\') return true;
  }
  return false;
}

}  // namespace

CInstallFlow::CInstallFlow(IInstallObserver* observer, IInstallEdge& edge, IClientInfo& product,
                           XZip* payload, bool silent, const SplitArchive* clientParts)
    : observer_(observer),
      edge_(edge),
      payload_(payload),
      clientParts_(clientParts),
      silent_(silent),
      product_(product),
      journal_(edge.JournalTarget()) {}

// The worker goes first: it reads the payload and writes the lists below.
CInstallFlow::~CInstallFlow() { Cancel(); }

void CInstallFlow::Cancel() {
  stopRequested_ = true;
  if (!edge_.WaitForWorker(kStopWaitMs)) edge_.EndProcess(kExitFilesFailed);
  if (!edge_.WaitForReport(kReportWaitMs)) {
    LogLine(u"the install report did not end in time: the process ends");
    edge_.EndProcess(kExitInstalled);
  }
  if (!journal_.IsOpen()) return;
  // The window is gone, or the session ends: the log alone hears what stayed.
  LogLine(u"install cancelled: " + UndoneForLog(journal_.Rollback()));
}

void CInstallFlow::Report(uint64_t total, uint64_t done, const char16_t* name, void* self) {
  // Never waits on the window: it takes the view when it paints, at most every few tens of
  // milliseconds.
  static_cast<CInstallFlow*>(self)->ShowProgress(name, total, done);
}

bool CInstallFlow::Prepare() {
  const char16_t* archiveFile = product_.GetArchiveFile().Units();
  nestedArchive_ = payload_ != nullptr && archiveFile[0] != 0 &&
                   (clientParts_ != nullptr || payload_->Find(archiveFile, nullptr) >= 0);
  if (!edge_.ReadInstalledFolder(product_, &installFolder_)) {
    FixedWString<1024> windowsFolder;
    FixedWString<1024> programs;
    if (!edge_.GetWindowsFolder(&windowsFolder) ||
        !DefaultProgramsFolder(windowsFolder.Units(), &programs)) {
      return false;
    }
    ChooseInstallFolder(programs.Units());
  }
  return RecoverEarlierRun();
}

bool CInstallFlow::RecoverEarlierRun() {
  if (IsRecovered(edge_.RecoverFolder(product_, installFolder_.Units()))) return true;
  earlierRunGoing_ = true;
  if (!silent_) edge_.Tell(Text(TextKey::kEarlierRun).c_str(), Notice::kWarning);
  return false;
}

void CInstallFlow::ChooseInstallFolder(const char16_t* folder) {
  ComposeInstallFolder(folder, product_.GetCompany().Units(), product_.GetApp().Units(),
                       &installFolder_);
}

bool CInstallFlow::StartInstall() {
  bool passed = (!product_.HasStyle(kStyleDetectSecuritySoftware) ||
                 edge_.CheckSecuritySoftware(product_)) &&
                edge_.CheckRunningClient(product_, installFolder_.Units());
  // The folder typed into the box, or given with /DIR: a silent install without /DIR keeps the
  // proposed one.
  if (passed && (!silent_ || !folderText_.Empty())) {
    // A typed folder may lack its closing backslash, and every path below is joined to it
    // directly: without one, "D:\Games\Client" would install "D:\Games\Clientclient.exe".
    FixedWString<1024> chosen;
    chosen.Assign(folderText_.Units());
    if (!chosen.Empty()) chosen.Append(SeparatorAfter(chosen.Units()));
    const bool otherFolder = chosen != installFolder_;
    installFolder_ = chosen;
    passed = !installFolder_.Empty() && (!otherFolder || RecoverEarlierRun());
  }
  if (passed && !journal_.Begin(installFolder_.Units(), kInstallJournalName)) {
    LogLine(u"the install folder cannot be written: " + journal_.Failure());
    if (!silent_) edge_.Tell(Text(TextKey::kInstallFolderFailed).c_str(), Notice::kError);
    passed = false;
  }
  if (!passed) {
    // Nobody is there to answer a silent install: it ends instead of waiting.
    if (silent_) observer_->Close(earlierRunGoing_ ? kExitAnotherRunGoing : kExitNotStarted);
    return false;
  }
  LogLine(u"installing into " + std::u16string(installFolder_.Units()));
  if (silent_ && !nestedArchive_) {
    timeLimit_ = std::make_unique<CRunTimeLimit>(
        stopRequested_, [this] { return static_cast<uint64_t>(edge_.UptimeSecond()) * 1000; });
  }
  state_ = kInstalling;
  {
    std::lock_guard<std::mutex> lock(viewLock_);
    view_.firstPageVisible = false;
    view_.progressVisible = true;
    view_.waitingVisible = true;
  }
  observer_->OnViewChanged();
  return edge_.StartWorker([this] { RunInstall(); });
}

bool CInstallFlow::RunInstall() {
  product_.SetInstallFolder(installFolder_.Units());
  uninstallList_.Clear();
  outcome_ = InstallOutcome::NotStarted();
  list_ = ListFacts();
  if (!installFolder_.Empty()) {
    InstallRun run;
    run.progress = &Report;
    run.context = this;
    run.installed = &uninstallList_;
    run.stop = &stopRequested_;
    run.journal = &journal_;
    run.timeLimit = timeLimit_.get();
    run.clientParts = clientParts_;
    if (nestedArchive_) {
      outcome_ = edge_.InstallArchive(*payload_, product_.GetArchiveFile().Units(),
                                      installFolder_.Units(), run);
      if (outcome_.Ran()) list_ = PayloadListFacts();
    } else {
      outcome_ = edge_.InstallPublished(product_, installFolder_.Units(), run, &list_);
    }
  }
  // A cancelled install ends here, unregistered and unreported, telling no one; one its time
  // bound stopped is undone on the window's thread.
  if (stopRequested_) {
    if (timeLimit_ != nullptr && timeLimit_->Expired()) observer_->PostCommand(kOutOfTimeCommand);
    return false;
  }
  if (!outcome_.Ran()) {
    observer_->PostCommand(kNotStartedCommand);
    return false;
  }
  // Only now is every entry written: the finish saves the list of them and may start the client.
  if (!completed_) {
    completed_ = true;
    // What was installed is the version its list names; without a list, or a list that names
    // none, the package is what the configuration says. Only the version the package was made
    // with is reported (install_report.h), which is told apart here: the finish may make the
    // list's version the product's before the report goes.
    const char16_t* configured = product_.GetVersion().Units();
    const char16_t* packageVersion =
        list_.version.Empty() ? configured : list_.version.Units();
    reportVersion_.Assign(std::u16string_view(packageVersion) == configured ? packageVersion
                                                                           : nullptr);
    observer_->PostCommand(kCompletedCommand);
  }
  return true;
}

void CInstallFlow::ShowProgress(const char16_t* name, uint64_t total, uint64_t done) {
  if (stopRequested_) return;  // the window is going
  figures_.Take(total, done, edge_.UptimeSecond());
  {
    std::lock_guard<std::mutex> lock(viewLock_);
    if (name != nullptr) {
      view_.statusText.Assign(installFolder_.Units());
      view_.statusText.Append(name[0] != 0 ? name : u"...");
    }
    if (!nestedArchive_) {
      view_.slowNetworkVisible = figures_.Slow();
      figures_.FormatDetail(&view_.detailText);
    }
    figures_.FormatPercent(&view_.percentText);
    view_.progressRange = figures_.BarRange();
    view_.progressPosition = figures_.BarPosition();
  }
  observer_->OnViewChanged();
}

bool CInstallFlow::OnCommand(int id) {
  switch (id) {
    case kStartCommand:
      if (state_ == kReady) StartInstall();
      return true;
    case kFinishCommand:
      if (state_ == kFinished) {
        state_ = kLaunching;
        edge_.LaunchClient(product_);
        observer_->Close(kExitInstalled);
      }
      return true;
    case kCompletedCommand:
      if (state_ == kInstalling) FinishInstall();
      return true;
    case kNotStartedCommand:
      if (state_ == kInstalling) NotStarted();
      return true;
    case kOutOfTimeCommand:
      if (state_ == kInstalling) EndOutOfTime();
      return true;
    default:
      return false;
  }
}

void CInstallFlow::NotStarted() {
  const RollbackResult undone = journal_.Rollback();
  LogLine(u"the install could not start: what it began is " + UndoneForLog(undone));
  couldNotStart_ = true;
  if (silent_) {
    observer_->Close(kExitNotStarted);
    return;
  }
  // The progress page stays, without progress; the close button still ends the window.
  FixedWString<1024> text;
  text.Assign(Text(list_.older     ? TextKey::kOldList
                   : list_.refused ? TextKey::kListNotTrusted
                                   : TextKey::kInstallNotStarted)
                  .c_str());
  AppendNotUndone(undone, &text);
  edge_.Tell(text.Units(), Notice::kWarning);
}

void CInstallFlow::EndOutOfTime() {
  LogLine(u"the install " + timeLimit_->ExpiredText() + u": " + UndoneForLog(journal_.Rollback()));
  observer_->Close(kExitFilesFailed);
}

void CInstallFlow::ShowFinishPage() {
  {
    std::lock_guard<std::mutex> lock(viewLock_);
    view_.firstPageVisible = false;
    view_.waitingVisible = false;
    // The finish page shows the finish button alone: the progress page goes with the install.
    view_.progressVisible = false;
    view_.slowNetworkVisible = false;
    view_.finishButtonVisible = !silent_;
  }
  observer_->OnViewChanged();
}

ListFacts CInstallFlow::PayloadListFacts() {
  ListFacts facts;
  XData bytes;
  if (!payload_->ReadByName(u"update.xml", &bytes) || bytes.Length() == 0) return facts;
  char16_t digest[kDigestUnits];
  if (Md5HexOfMemory(digest, bytes.Data(), bytes.Length())) facts.digest.Assign(digest);
  CUpdateInfo list;
  if (list.ParseBytes(bytes.Data(), bytes.Length())) facts.version.Assign(list.GetVersion());
  return facts;
}

void CInstallFlow::FinishInstall() {
  state_ = kFinished;
  const char16_t* folder = installFolder_.Units();
  outcome_.unusable =
      !PutAnyFile(uninstallList_) || !HasClientFile(folder, product_.GetClientFile().Units());
  if (outcome_.Failed()) {
    UndoInstall();
    return;
  }
  product_.SetDigest(list_.digest.Units());
  // A download-mode install registers the version of the list it followed, not the one it was
  // packed with: the system's list of programs shows it, and the updater holds later lists to it.
  if (!nestedArchive_ && !list_.version.Empty()) product_.SetVersion(list_.version.Units());
  product_.SetInstallFolder(folder);
  product_.SetMainFile(product_.GetClientFile().Units());
  char16_t listPath[kPathCapacity];
  const bool done =
      UninstallListPath(folder, listPath) &&
      journal_.PlaceFile(listPath,
                         [this](const std::u16string& staging) {
                           return uninstallList_.SaveToFile(staging.c_str());
                         }) &&
      edge_.Register(journal_, product_, uninstallList_, product_.HasStyle(kStyleAutoStart)) &&
      journal_.Commit();
  if (!done) {
    outcome_.Fail(journal_.FailedWhat().c_str(), journal_.FailureReason().c_str());
    UndoInstall();
    return;
  }
  LogLine(u"installed into " + std::u16string(folder) + u" and registered");
  // Sent once committed, never for an install then undone; it waits on the network, so it goes
  // off this thread, and the flow's end waits for it.
  if (!reportVersion_.Empty()) edge_.ReportInstall(product_, reportVersion_.Units());
  ShowFinishPage();
  if (silent_) {
    edge_.LaunchClient(product_);
    observer_->Close(kExitInstalled);
  }
}

void CInstallFlow::UndoInstall() {
  // Registered, it would be a product whose shortcuts and update lead to a missing program, or
  // half an upgrade.
  const RollbackResult undone = journal_.Rollback();
  FixedWString<1024> text;
  FormatRolledBackInstall(outcome_, undone, &text);
  LogLine(u"install failed: " + std::u16string(text.Units()));
  if (!silent_) edge_.Tell(text.Units(), Notice::kError);
  observer_->Close(kExitFilesFailed);
}

void CInstallFlow::CheckVersion() {
  // Once an install has started, its answer could only finish or close over files being written.
  if (state_ != kReady || installFolder_.Empty() || !nestedArchive_) return;
  switch (edge_.CheckInstalledVersion(product_)) {
    case InstalledVersionCheck::kRefused:
      FinishExisting();
      break;
    case InstalledVersionCheck::kDeclined:
      observer_->Close(kExitCancelled);
      break;
    case InstalledVersionCheck::kProceed:
      break;
  }
}

void CInstallFlow::FinishExisting() {
  state_ = kFinished;
  ShowFinishPage();
  product_.SetInstallFolder(installFolder_.Units());
  product_.SetMainFile(product_.GetClientFile().Units());
  if (silent_) {
    LogLine(u"a newer version is installed: kept, and started");
    edge_.LaunchClient(product_);
    observer_->Close(kExitNewerVersionKept);
  }
}
