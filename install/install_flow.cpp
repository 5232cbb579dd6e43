#include "install/install_flow.h"

#include <windows.h>
#include <timeapi.h>

#include "install/archive_install.h"
#include "install/client_file.h"
#include "install/install_folder.h"
#include "install/install_thread.h"
#include "install/paint_pause.h"
#include "install/payload_archive.h"
#include "product/auto_start.h"
#include "product/list_digest.h"
#include "product/product_keys.h"
#include "product/product_registration.h"
#include "product/program_launch.h"
#include "records/update_info.h"
#include "support/filesystem_path.h"
#include "support/internet.h"
#include "support/md5.h"
#include "support/path_text.h"
#include "support/text_length.h"
#include "support/user_question.h"

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

int64_t UptimeSecond() {
  LARGE_INTEGER counter, frequency;
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return frequency.QuadPart != 0 ? counter.QuadPart / frequency.QuadPart : 0;
}

// One-millisecond pauses last up to 15 ms at the default timer resolution; the install raises it
// while it runs so that the pauses that let the window paint stay short.
class FineTimer {
 public:
  FineTimer() { timeBeginPeriod(1); }
  ~FineTimer() { timeEndPeriod(1); }
  FineTimer(const FineTimer&) = delete;
  FineTimer& operator=(const FineTimer&) = delete;
};

// Every report of either mode, followed by the pause that lets the window paint.
void Report(uint32_t total, uint32_t done, const char16_t* name, void* context) {
  auto* flow = static_cast<CInstallFlow*>(context);
  flow->ShowProgress(name, total, done);
  flow->PauseForPainting();
}

}  // namespace

CInstallFlow::CInstallFlow(IInstallObserver* observer, IClientInfo& product, bool silent)
    : observer_(observer), silent_(silent), product_(product) {}

// The worker goes first: it reads the payload and writes the lists below.
CInstallFlow::~CInstallFlow() {
  Cancel();
  thread_.reset();
}

void CInstallFlow::Cancel() {
  stopRequested_ = true;
  if (!thread_ || !thread_->IsAttached()) return;
  thread_->Wait(kStopWaitMs);
  if (thread_->IsAttached()) TerminateProcess(GetCurrentProcess(), kExitFilesFailed);
}

bool CInstallFlow::OpenPayload(const char16_t* exePath) {
  payloadSource_ = OpenPayloadArchive(exePath, payloadBytes_, payload_);
  payloadOpen_ = payloadSource_ == PayloadSource::kOpened;
  return payloadOpen_;
}

bool CInstallFlow::LoadWindowConfig(const char16_t* exePath) {
  if (product_.LoadFromModuleFile(exePath, u"app", 1)) return true;
  XData text;
  return payloadOpen_ && payload_.ReadByName(u"app.txt", &text) &&
         product_.ParseBytes(text.Data(), text.Length());
}

bool CInstallFlow::Prepare() {
  const char16_t* archiveFile = product_.GetArchiveFile().Units();
  nestedArchive_ = payloadOpen_ && archiveFile[0] != 0 && payload_.Find(archiveFile, nullptr) >= 0;
  char16_t recorded[1024];
  if (ReadProductValue(product_.GetCompany().Units(), product_.GetApp().Units(), u"path",
                       recorded, 1024)) {
    installFolder_.Assign(recorded);
    return true;
  }
  wchar_t windowsFolder[MAX_PATH] = {};
  if (GetWindowsDirectoryW(windowsFolder, MAX_PATH) == 0) return false;
  FixedWString<1024> programs;
  if (!DefaultProgramsFolder(reinterpret_cast<const char16_t*>(windowsFolder), &programs)) {
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
  const bool passed =
      (!product_.HasStyle(kStyleDetectSecuritySoftware) || !hooks_.checkSecuritySoftware ||
       hooks_.checkSecuritySoftware(owner_, product_)) &&
      (!hooks_.checkRunningClient ||
       hooks_.checkRunningClient(owner_, product_, installFolder_.Units()));
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
  Changed(InstallElement::kFirstPage);
  Changed(InstallElement::kWaitingImage);
  Changed(InstallElement::kProgressBar);
  if (!silent_) {
    // A typed folder may lack its closing backslash, and every path below is joined to it
    // directly: without one, "D:\Games\Client" would install "D:\Games\Clientclient.exe".
    installFolder_.Assign(folderText_.Units());
    if (!installFolder_.Empty()) installFolder_.Append(SeparatorAfter(installFolder_.Units()));
  }
  if (!thread_) thread_ = std::make_unique<CInstallThread>(this);
  return thread_->Start();
}

bool CInstallFlow::RunInstall() {
  nestedName_.Assign(nestedArchive_ ? product_.GetArchiveFile().Units() : u"");
  product_.SetInstallFolder(installFolder_.Units());
  uninstallList_.Clear();
  outcome_ = InstallOutcome();
  FineTimer fineTimer;
  bool installed = false;
  // A damaged payload installs nothing: its client is not downloaded in its place either.
  if (!installFolder_.Empty() && !PayloadDamaged()) {
    InstallRun run;
    run.progress = &Report;
    run.context = this;
    run.installed = &uninstallList_;
    run.outcome = &outcome_;
    run.stop = &stopRequested_;
    installed = nestedArchive_ ? InstallFromArchive(payload_, nestedName_.Units(),
                                                    installFolder_.Units(), run)
                               : DownloadInstall();
  }
  // A cancelled install ends here, unregistered and unreported, telling no one.
  if (stopRequested_) return false;
  if (!installed) {
    observer_->PostCommand(kNotStartedCommand);
    return false;
  }
  TakeListFacts();
  // Only now is every entry written: the finish saves the list of them and may start the client.
  if (!completed_) {
    completed_ = true;
    // What was installed is the version its list names; without a list, or a list that names
    // none, the package is what the configuration says.
    const char16_t* packageVersion =
        listVersion_.Empty() ? product_.GetVersion().Units() : listVersion_.Units();
    if (hooks_.reportInstall) hooks_.reportInstall(product_, packageVersion);
    observer_->PostCommand(kCompletedCommand);
  }
  return true;
}

bool CInstallFlow::DownloadInstall() {
  // The list is fetched once: the bytes that chose the URL are the bytes installed from.
  CInternet list;
  list.SetStopRequest(&stopRequested_);
  listUrl_.Clear();
  if (DownloadUpdateList(product_.GetConfig().Units(), list)) {
    listUrl_.Assign(product_.GetConfig().Units());
  } else if (DownloadUpdateList(product_.GetConfig2().Units(), list)) {
    listUrl_.Assign(product_.GetConfig2().Units());
  }
  if (listUrl_.Empty()) return false;
  engine_.SetCallback(&Report, this);
  engine_.SetInstalledList(&uninstallList_);
  engine_.SetStopRequest(&stopRequested_);
  const bool followed =
      engine_.InstallFromData(installFolder_.Units(), list.GetData(), list.GetSize());
  outcome_ = engine_.Outcome();
  return followed;
}

void CInstallFlow::ShowProgress(const char16_t* name, uint32_t total, uint32_t done) {
  if (stopRequested_) return;  // the window is going
  figures_.Take(total, done, UptimeSecond());
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
  if (name != nullptr) Changed(InstallElement::kStatusText);
  if (!nestedArchive_) {
    Changed(InstallElement::kSlowNetwork);
    Changed(InstallElement::kDetailText);
  }
  Changed(InstallElement::kPercentText);
  Changed(InstallElement::kProgressBar);
}

bool CInstallFlow::OnCommand(int id) {
  switch (id) {
    case kStartCommand:
      if (state_ == kReady) StartInstall();
      return true;
    case kFinishCommand:
      if (state_ == kFinished) {
        state_ = kLaunching;
        LaunchClient(product_);
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
  AskUser(owner_, kInstallNotStartedText, kInstallCaption, MB_OK | MB_ICONWARNING);
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
  Changed(InstallElement::kFirstPage);
  Changed(InstallElement::kWaitingImage);
  Changed(InstallElement::kProgressBar);
  if (!silent_) Changed(InstallElement::kStartButton);
}

void CInstallFlow::TakeListFacts() {
  listDigest_.Clear();
  listVersion_.Clear();
  if (!nestedArchive_) {
    listDigest_.Assign(engine_.GetListDigest());
    listVersion_.Assign(engine_.GetListVersion());
    return;
  }
  XData bytes;
  if (!payload_.ReadByName(u"update.xml", &bytes) || bytes.Length() == 0) return;
  char16_t digest[kDigestUnits];
  if (Md5HexOfMemory(digest, bytes.Data(), bytes.Length())) listDigest_.Assign(digest);
  CUpdateInfo list;
  if (list.ParseBytes(bytes.Data(), bytes.Length())) listVersion_.Assign(list.GetVersion());
}

void CInstallFlow::FinishInstall() {
  state_ = kFinished;
  const char16_t* folder = installFolder_.Units();
  char16_t uninstallFile[kPathCapacity];
  const bool named =
      ComposePath(uninstallFile, kPathCapacity, {folder, SeparatorAfter(folder), u"uninst.dat"});
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
    if (!silent_) AskUser(owner_, kInstallUnusableText, kInstallCaption, MB_OK | MB_ICONERROR);
    observer_->Close(kExitFilesFailed);
    return;
  }
  if (!named || !uninstallList_.SaveToFile(uninstallFile)) outcome_.Fail(u"uninst.dat");
  ShowFinishPage();
  // A client with missing files keeps no digest, so the update check finds it out of date and
  // repairs it. It is still registered, so that its uninstaller can remove what it has.
  product_.SetDigest(outcome_.Failed() ? u"" : listDigest_.Units());
  product_.SetInstallFolder(folder);
  product_.SetMainFile(product_.GetClientFile().Units());
  Register(product_);
  if (product_.HasStyle(kStyleAutoStart)) SetAutoStart(product_, true);
  if (outcome_.Failed()) {
    if (silent_) {
      observer_->Close(kExitFilesFailed);
      return;
    }
    FixedWString<1024> text;
    FormatInstallFailure(outcome_, &text);
    AskUser(owner_, text.Units(), kInstallCaption, MB_OK | MB_ICONWARNING);
    return;
  }
  if (silent_) {
    LaunchClient(product_);
    observer_->Close(kExitInstalled);
  }
}

void CInstallFlow::CheckVersion() {
  // Once an install has started, its answer could only finish or close over files being written.
  if (state_ != kReady || installFolder_.Empty() || !nestedArchive_ ||
      !hooks_.checkInstalledVersion) {
    return;
  }
  switch (hooks_.checkInstalledVersion(owner_, product_)) {
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
    LaunchClient(product_);
    observer_->Close(kExitInstalled);
  }
}
