#pragma once

#include <atomic>
#include <cstdint>
#include <future>
#include <string>
#include <vector>

#include "install/install_edge.h"
#include "tests/helpers/journal_test_target.h"

// One entry a fake install goes through, in order: a name ending in "\" is a folder. An entry
// put in place is written into the install folder (a file holding its own name) and told to the
// run as installed; one that is not ends the install, failed at it.
struct FakeEntry {
  std::u16string name;
  bool putInPlace = true;
};

// The install flow's edge without Windows: the machine, the person and the installs answer as
// the test sets them, and what the flow asked of them is kept. The worker is a real thread; the
// journal acts on the real disk and a registry in memory (journal_test_target.h), which the
// registration writes its product key into.
class FakeInstallEdge : public IInstallEdge {
 public:
  // What the machine and the person answer.
  const char16_t* windowsFolder = u"C:\\Windows";  // null: it cannot be read
  const char16_t* installedFolder = nullptr;       // an earlier install's; null: none
  InstalledVersionCheck versionCheck = InstalledVersionCheck::kProceed;
  bool securitySoftwarePasses = true;
  bool runningClientPasses = true;
  std::atomic<int64_t> uptimeSecond{0};  // read from a silent run's time limit's thread too
  // What an install does: one progress report an entry (the entry count as total), unless it
  // fails before any progress; then, when waitForStop, it waits for the run's stop.
  std::vector<FakeEntry> entries;
  bool installFails = false;
  bool waitForStop = false;
  ListFacts publishedList;  // the list of a download-mode install
  bool stuck = false;       // the worker never ends within a wait
  bool reportStuck = false;  // a report being sent never ends within a wait
  bool registrationFails = false;  // its second step fails, as a registry that refuses a value
  JournalTestTarget machine;

  // What the flow asked, in order.
  std::vector<std::u16string> checks;  // "version", "security software", "running client"
  std::vector<std::u16string> told;
  std::vector<std::u16string> installs;  // "archive <nested name>" or "published"
  std::vector<std::u16string> reportedVersions;
  bool reportedUncommitted = false;  // a report came while the install's journal was there
  bool reportAwaited = false;        // a wait for the report came after it
  int registrations = 0;  // calls; what stands is in machine's registry
  bool startedWithWindows = false;
  int launches = 0;
  std::vector<int> endedProcess;

  int64_t UptimeSecond() override { return uptimeSecond; }
  bool GetWindowsFolder(FixedWString<1024>* folder) override;
  bool ReadInstalledFolder(const IClientInfo& product, FixedWString<1024>* folder) override;
  InstalledVersionCheck CheckInstalledVersion(const IClientInfo& product) override;
  bool CheckSecuritySoftware(const IClientInfo& product) override;
  bool CheckRunningClient(const IClientInfo& product, const char16_t* folder) override;
  void Tell(const char16_t* text, Notice) override { told.push_back(text); }
  bool StartWorker(std::function<void()> work) override;
  bool WaitForWorker(uint32_t timeoutMs) override;
  void EndProcess(int exitCode) override { endedProcess.push_back(exitCode); }
  InstallOutcome InstallArchive(XZip& payload, const char16_t* nestedName, const char16_t* folder,
                                const InstallRun& run) override;
  InstallOutcome InstallPublished(const IClientInfo& product, const char16_t* folder,
                                  const InstallRun& run, ListFacts* list) override;
  // Recorded at once, and sent while reportStuck.
  void ReportInstall(const IClientInfo& product, const char16_t* packageVersion) override;
  bool WaitForReport(uint32_t) override {
    reportAwaited = !reportedVersions.empty();
    return !reportStuck;
  }
  IJournalTarget& JournalTarget() override { return machine; }
  JournalRecovery RecoverFolder(const IClientInfo& product, const char16_t* folder) override;
  bool Register(CChangeJournal& journal, const IClientInfo& product, const IUninstInfo& installed,
                bool startWithWindows) override;
  void LaunchClient(const IClientInfo&) override { ++launches; }

 private:
  InstallOutcome Install(const char16_t* folder, const InstallRun& run);

  std::future<void> worker_;  // its end is waited for when it goes
};
