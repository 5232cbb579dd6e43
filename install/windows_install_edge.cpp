#include "install/windows_install_edge.h"

#include <windows.h>

#include <chrono>
#include <string>

#include "install/archive_install.h"
#include "install/install_engine.h"
#include "install/install_report.h"
#include "install/install_thread.h"
#include "product/folder_recovery.h"
#include "product/installed_folder.h"
#include "product/program_launch.h"
#include "product/published_list.h"
#include "product/registration_steps.h"
#include "records/client_info.h"
#include "records/current_language.h"
#include "support/core/wide_text.h"
#include "support/http/http_get.h"
#include "support/system/user_question.h"
#include "support/text/path_text.h"

CWindowsInstallEdge::CWindowsInstallEdge() = default;

// The flow has waited for the worker and the report: destroying them stops nothing.
CWindowsInstallEdge::~CWindowsInstallEdge() = default;

int64_t CWindowsInstallEdge::UptimeSecond() {
  LARGE_INTEGER counter, frequency;
  QueryPerformanceCounter(&counter);
  QueryPerformanceFrequency(&frequency);
  return frequency.QuadPart != 0 ? counter.QuadPart / frequency.QuadPart : 0;
}

bool CWindowsInstallEdge::GetWindowsFolder(FixedWString<1024>* folder) {
  wchar_t windowsFolder[MAX_PATH] = {};
  if (GetWindowsDirectoryW(windowsFolder, MAX_PATH) == 0) return false;
  folder->Assign(AsUtf16(windowsFolder));
  return true;
}

bool CWindowsInstallEdge::ReadInstalledFolder(const IClientInfo& product,
                                              FixedWString<1024>* folder) {
  char16_t installed[kPathCapacity];
  if (!::ReadInstalledFolder(product, installed)) return false;
  folder->Assign(installed);
  return true;
}

InstalledVersionCheck CWindowsInstallEdge::CheckInstalledVersion(const IClientInfo& product) {
  return ::CheckInstalledVersion(owner_, product);
}

bool CWindowsInstallEdge::CheckSecuritySoftware(const IClientInfo& product) {
  return CheckAntivirus(owner_, product);
}

bool CWindowsInstallEdge::CheckRunningClient(const IClientInfo& product,
                                             const char16_t* folder) {
  return ::CheckRunningClient(owner_, product, folder);
}

void CWindowsInstallEdge::Tell(const char16_t* text, Notice notice) {
  AskUser(owner_, text, Text(TextKey::kInstallCaption).c_str(),
          MB_OK | (notice == Notice::kError ? MB_ICONERROR : MB_ICONWARNING));
}

bool CWindowsInstallEdge::StartWorker(std::function<void()> work) {
  if (thread_ && thread_->IsAttached()) return false;
  thread_ = std::make_unique<CInstallThread>(std::move(work));
  return thread_->Start();
}

bool CWindowsInstallEdge::WaitForWorker(uint32_t timeoutMs) {
  if (!thread_ || !thread_->IsAttached()) return true;
  thread_->Wait(timeoutMs);
  return !thread_->IsAttached();
}

void CWindowsInstallEdge::EndProcess(int exitCode) {
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(exitCode));
}

InstallOutcome CWindowsInstallEdge::InstallArchive(XZip& payload, const char16_t* nestedName,
                                                   const char16_t* folder, const InstallRun& run) {
  return InstallFromArchive(payload, nestedName, folder, run);
}

InstallOutcome CWindowsInstallEdge::InstallPublished(const IClientInfo& product,
                                                     const char16_t* folder, const InstallRun& run,
                                                     ListFacts* list) {
  // The list is fetched once: the bytes that chose the URL are the bytes installed from. A signed
  // list older than the package itself is an old one served again.
  PublishedList published;
  if (!FetchPublishedList(product, listKey_, product.GetVersion().Units(), &published,
                          run.stop) ||
      !published.readable) {
    list->refused = published.refused;
    list->older = published.trust.VersionRefuses();
    return run.Stopped() ? InstallOutcome::Stopped() : InstallOutcome::NotStarted();
  }
  list->digest = published.digest;
  list->version.Assign(published.items.GetVersion());
  CInstall engine(HttpGetMaker(kDefaultConnections));
  engine.SetCallback(run.progress, run.context);
  engine.SetInstalledList(run.installed);
  engine.SetStopRequest(run.stop);
  engine.SetJournal(run.journal);
  engine.SetTimeLimit(run.timeLimit);
  return engine.InstallList(folder, &published.items);
}

void CWindowsInstallEdge::ReportInstall(const IClientInfo& product,
                                        const char16_t* packageVersion) {
  // Whether the endpoint took it changes nothing in the install.
  report_ = std::async(std::launch::async, [&product, version = std::u16string(packageVersion)] {
    ::ReportInstall(product, version.c_str());
  });
}

bool CWindowsInstallEdge::WaitForReport(uint32_t timeoutMs) {
  return !report_.valid() ||
         report_.wait_for(std::chrono::milliseconds(timeoutMs)) == std::future_status::ready;
}

JournalRecovery CWindowsInstallEdge::RecoverFolder(const IClientInfo& product,
                                                  const char16_t* folder) {
  return RecoverInstallFolder(product, folder);
}

bool CWindowsInstallEdge::Register(CChangeJournal& journal, const IClientInfo& product,
                                   const IUninstInfo& installed, bool startWithWindows) {
  return RegisterThrough(journal, product, installed, startWithWindows, desktopShortcut_);
}

void CWindowsInstallEdge::LaunchClient(const IClientInfo& product) {
  if (beforeLaunch_) beforeLaunch_();
  ::LaunchClient(product);
}
