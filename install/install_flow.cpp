#include "install/install_flow.h"

#include "install/client_file.h"
#include "install/install_folder.h"
#include "product/uninstall_list_file.h"
#include "records/update_info.h"
#include "support/filesystem_path.h"
#include "support/md5.h"
#include "support/path_text.h"
#include "support/text_length.h"
#include "support/xdata.h"
#include "support/xzip.h"

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
                           XZip* payload, bool silent)
    : observer_(observer), edge_(edge), payload_(payload), silent_(silent), product_(product) {}

// The worker goes first: it reads the payload and writes the lists below.
CInstallFlow::~CInstallFlow() { Cancel(); }

void CInstallFlow::Cancel() {
  stopRequested_ = true;
  if (!edge_.WaitForWorker(kStopWaitMs)) edge_.EndProcess(kExitFilesFailed);
}

void CInstallFlow::Report(uint32_t total, uint32_t done, const char16_t* name, void* self) {
  auto* flow = static_cast<CInstallFlow*>(self);
  flow->ShowProgress(name, total, done);
  flow->edge_.PauseForPainting();
}

bool CInstallFlow::Prepare() {
  const char16_t* archiveFile = product_.GetArchiveFile().Units();
  nestedArchive_ =
      payload_ != nullptr && archiveFile[0] != 0 && payload_->Find(archiveFile, nullptr) >= 0;
  if (edge_.ReadInstalledFolder(product_, &installFolder_)) return true;
  FixedWString<1024> windowsFolder;
  FixedWString<1024> programs;
  if (!edge_.GetWindowsFolder(&windowsFolder) ||
      !DefaultProgramsFolder(windowsFolder.Units(), &programs)) {
    return false;
  }
  ChooseInstallFolder(programs.Units());
  return true;
}

void CInstallFlow::ChooseInstallFolder(const char16_t* folder) {
  ComposeInstallFolder(folder, product_.GetCompany().Units(), product_.GetApp().Units(),
                       &installFolder_);
}

bool CInstallFlow::StartInstall() {
  const bool passed = (!product_.HasStyle(kStyleDetectSecuritySoftware) ||
                       edge_.CheckSecuritySoftware(product_)) &&
                      edge_.CheckRunningClient(product_, installFolder_.Units());
  if (!passed) {
    // Nobody is there to answer a silent install: it ends instead of waiting.
    if (silent_) observer_->Close(kExitNotStarted);
    return false;
  }
  state_ = kInstalling;
  {
    std::lock_guard<std::mutex> lock(viewLock_);
    view_.firstPageVisible = false;
    view_.progressVisible = true;
    view_.waitingVisible = true;
  }
  observer_->OnViewChanged();
  if (!silent_) {
    // A typed folder may lack its closing backslash, and every path below is joined to it
    // directly: without one, "D:\Games\Client" would install "D:\Games\Clientclient.exe".
    installFolder_.Assign(folderText_.Units());
    if (!installFolder_.Empty()) installFolder_.Append(SeparatorAfter(installFolder_.Units()));
  }
  return edge_.StartWorker([this] { RunInstall(); });
}

bool CInstallFlow::RunInstall() {
  product_.SetInstallFolder(installFolder_.Units());
  uninstallList_.Clear();
  outcome_ = InstallOutcome();
  list_ = ListFacts();
  bool installed = false;
  if (!installFolder_.Empty()) {
    InstallRun run;
    run.progress = &Report;
    run.context = this;
    run.installed = &uninstallList_;
    run.outcome = &outcome_;
    run.stop = &stopRequested_;
    if (nestedArchive_) {
      installed = edge_.InstallArchive(*payload_, product_.GetArchiveFile().Units(),
                                       installFolder_.Units(), run);
      if (installed) list_ = PayloadListFacts();
    } else {
      installed = edge_.InstallPublished(product_, installFolder_.Units(), run, &list_);
    }
  }
  // A cancelled install ends here, unregistered and unreported, telling no one.
  if (stopRequested_) return false;
  if (!installed) {
    observer_->PostCommand(kNotStartedCommand);
    return false;
  }
  // Only now is every entry written: the finish saves the list of them and may start the client.
  if (!completed_) {
    completed_ = true;
    // What was installed is the version its list names; without a list, or a list that names
    // none, the package is what the configuration says.
    const char16_t* packageVersion =
        list_.version.Empty() ? product_.GetVersion().Units() : list_.version.Units();
    edge_.ReportInstall(product_, packageVersion);
    observer_->PostCommand(kCompletedCommand);
  }
  return true;
}

void CInstallFlow::ShowProgress(const char16_t* name, uint32_t total, uint32_t done) {
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
    view_.progressRange = total;
    view_.progressPosition = done;
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
    default:
      return false;
  }
}

void CInstallFlow::NotStarted() {
  if (silent_) {
    observer_->Close(kExitNotStarted);
    return;
  }
  // The progress page stays, without progress; the close button still ends the window.
  edge_.Tell(kInstallNotStartedText, Notice::kWarning);
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
  char16_t uninstallFile[kPathCapacity];
  const bool named = UninstallListPath(folder, uninstallFile);
  outcome_.unusable =
      !PutAnyFile(uninstallList_) || !HasClientFile(folder, product_.GetClientFile().Units());
  if (outcome_.unusable) {
    // What was put in place is still listed, for its removal; but the list of an earlier
    // install stays as it is, as does the registration that goes with it.
    uint64_t size = 0;
    if (named && uninstallList_.Count() != 0 && !GetFileSize(uninstallFile, &size)) {
      uninstallList_.SaveToFile(uninstallFile);
    }
    // Registered, it would be a product whose shortcuts and update lead to a missing program.
    if (!silent_) edge_.Tell(kInstallUnusableText, Notice::kError);
    observer_->Close(kExitFilesFailed);
    return;
  }
  if (!named || !uninstallList_.SaveToFile(uninstallFile)) outcome_.Fail(kUninstallListName);
  ShowFinishPage();
  // A client with missing files keeps no digest, so the update check finds it out of date and
  // repairs it. It is still registered, so that its uninstaller can remove what it has.
  product_.SetDigest(outcome_.Failed() ? u"" : list_.digest.Units());
  product_.SetInstallFolder(folder);
  product_.SetMainFile(product_.GetClientFile().Units());
  edge_.Register(product_, product_.HasStyle(kStyleAutoStart));
  if (outcome_.Failed()) {
    if (silent_) {
      observer_->Close(kExitFilesFailed);
      return;
    }
    FixedWString<1024> text;
    FormatInstallFailure(outcome_, &text);
    edge_.Tell(text.Units(), Notice::kWarning);
    return;
  }
  if (silent_) {
    edge_.LaunchClient(product_);
    observer_->Close(kExitInstalled);
  }
}

void CInstallFlow::CheckVersion() {
  // Once an install has started, its answer could only finish or close over files being written.
  if (state_ != kReady || installFolder_.Empty() || !nestedArchive_) return;
  switch (edge_.CheckInstalledVersion(product_)) {
    case InstalledVersionCheck::kRefused:
      FinishExisting();
      break;
    case InstalledVersionCheck::kDeclined:
      observer_->Close(kExitInstalled);
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
    edge_.LaunchClient(product_);
    observer_->Close(kExitInstalled);
  }
}
