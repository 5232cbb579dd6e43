#pragma once
#include <functional>
#include <future>
#include <memory>
#include <utility>

#include "install/install_edge.h"
#include "records/update_info_trust.h"
#include "support/journal/journal_target_windows.h"

class CInstallThread;

// The install flow's edge on Windows: the performance counter, the Windows folder and the
// product key; the real checks and message boxes, owned by the owner window; the install worker
// thread; the archive and download installs, the report on a thread of its own, the registration
// and the client's launch. It outlives the flow it serves, which stops the worker and waits for
// the report before it goes.
class CWindowsInstallEdge : public IInstallEdge {
 public:
  CWindowsInstallEdge();
  ~CWindowsInstallEdge() override;
  CWindowsInstallEdge(const CWindowsInstallEdge&) = delete;
  CWindowsInstallEdge& operator=(const CWindowsInstallEdge&) = delete;

  // The window that owns the questions and messages; null for none.
  void SetOwnerWindow(void* owner) { owner_ = owner; }
  // The vendor's public key the installer carries: a download-mode install follows only a list
  // it signed. None (the default): every list is followed.
  void SetListKey(ListKey key) { listKey_ = std::move(key); }
  // Whether the registration puts a shortcut on the desktop (the default), or leaves it out
  // (/NOICONS).
  void SetDesktopShortcut(bool wanted) { desktopShortcut_ = wanted; }
  // Run just before the client is started: the run lets go of what the client's own programs
  // need (the product's lock). None (the default): nothing is run.
  void SetBeforeLaunch(std::function<void()> step) { beforeLaunch_ = std::move(step); }

  int64_t UptimeSecond() override;
  bool GetWindowsFolder(FixedWString<1024>* folder) override;
  bool ReadInstalledFolder(const IClientInfo& product, FixedWString<1024>* folder) override;
  InstalledVersionCheck CheckInstalledVersion(const IClientInfo& product) override;
  bool CheckSecuritySoftware(const IClientInfo& product) override;
  bool CheckRunningClient(const IClientInfo& product, const char16_t* folder) override;
  void Tell(const char16_t* text, Notice notice) override;
  bool StartWorker(std::function<void()> work) override;
  bool WaitForWorker(uint32_t timeoutMs) override;
  void EndProcess(int exitCode) override;
  InstallOutcome InstallArchive(XZip& payload, const char16_t* nestedName, const char16_t* folder,
                                const InstallRun& run) override;
  InstallOutcome InstallPublished(const IClientInfo& product, const char16_t* folder,
                                  const InstallRun& run, ListFacts* list) override;
  void ReportInstall(const IClientInfo& product, const char16_t* packageVersion) override;
  bool WaitForReport(uint32_t timeoutMs) override;
  IJournalTarget& JournalTarget() override { return machine_; }
  JournalRecovery RecoverFolder(const IClientInfo& product, const char16_t* folder) override;
  bool Register(CChangeJournal& journal, const IClientInfo& product, const IUninstInfo& installed,
                bool startWithWindows) override;
  void LaunchClient(const IClientInfo& product) override;

 private:
  void* owner_ = nullptr;
  ListKey listKey_;
  bool desktopShortcut_ = true;
  std::function<void()> beforeLaunch_;
  CWindowsJournalTarget machine_;
  std::unique_ptr<CInstallThread> thread_;  // made at the first start
  std::future<void> report_;  // the report being sent; invalid before one
};
