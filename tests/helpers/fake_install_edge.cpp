#include "tests/helpers/fake_install_edge.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "product/uninstall_list_file.h"
#include "records/client_info.h"
#include "support/files/entry_path.h"
#include "support/files/filesystem_path.h"
#include "support/journal/change_journal.h"
#include "support/text/path_text.h"

namespace {

// Puts entry in place below folder through journal: a folder, or a file holding the entry's
// name.
bool PutEntry(CChangeJournal& journal, const char16_t* folder, const std::u16string& entry) {
  char16_t path[kPathCapacity];
  if (!JoinEntryPath(folder, entry.c_str(), path)) return false;
  const std::u16string full(path);
  if (entry.back() == u'\\') return journal.CreateFolder(full);
  return journal.CreateFolder(full.substr(0, full.rfind(u'\\') + 1)) &&
         journal.PlaceFile(full, [&entry](const std::u16string& staging) {
           std::ofstream file(ToFilesystemPath(staging.c_str()), std::ios::binary);
           file << std::string(entry.begin(), entry.end());
           return static_cast<bool>(file);
         });
}

}  // namespace

const std::u16string kFakeProductKey = u"Software\\FlowTest";

JournalRecovery FakeInstallEdge::RecoverFolder(const IClientInfo&, const char16_t* folder) {
  return RecoverJournal(machine, folder, kInstallJournalName,
                        {{{folder, u""}}, {{kFakeProductKey, u""}}});
}

bool FakeInstallEdge::Register(CChangeJournal& journal, const IClientInfo& product,
                               const IUninstInfo&, bool startWithWindows) {
  ++registrations;
  startedWithWindows = startWithWindows;
  const std::u16string version = product.GetVersion().Units();
  return journal.SetValue(kFakeProductKey, u"version",
                          RegistryValue{1, std::vector<uint8_t>(version.begin(), version.end())}) &&
         !registrationFails &&
         journal.SetValue(kFakeProductKey, u"path", RegistryValue{1, {'p'}});
}

void FakeInstallEdge::ReportInstall(const IClientInfo& product, const char16_t* packageVersion) {
  reportedVersions.push_back(packageVersion);
  if (machine.PathExists(std::u16string(product.GetInstallFolder().Units()) +
                         kInstallJournalName)) {
    reportedUncommitted = true;
  }
}

bool FakeInstallEdge::GetWindowsFolder(FixedWString<1024>* folder) {
  folder->Assign(windowsFolder);
  return windowsFolder != nullptr;
}

bool FakeInstallEdge::ReadInstalledFolder(const IClientInfo&, FixedWString<1024>* folder) {
  folder->Assign(installedFolder);
  return installedFolder != nullptr;
}

InstalledVersionCheck FakeInstallEdge::CheckInstalledVersion(const IClientInfo&) {
  checks.push_back(u"version");
  return versionCheck;
}

bool FakeInstallEdge::CheckSecuritySoftware(const IClientInfo&) {
  checks.push_back(u"security software");
  return securitySoftwarePasses;
}

bool FakeInstallEdge::CheckRunningClient(const IClientInfo&, const char16_t*) {
  checks.push_back(u"running client");
  return runningClientPasses;
}

bool FakeInstallEdge::StartWorker(std::function<void()> work) {
  if (!WaitForWorker(0)) return false;
  worker_ = std::async(std::launch::async, std::move(work));
  return true;
}

bool FakeInstallEdge::WaitForWorker(uint32_t timeoutMs) {
  if (!worker_.valid()) return true;
  if (stuck) return false;
  return worker_.wait_for(std::chrono::milliseconds(timeoutMs)) == std::future_status::ready;
}

InstallOutcome FakeInstallEdge::Install(const char16_t* folder, const InstallRun& run) {
  if (installFails) return InstallOutcome::NotStarted();
  InstallOutcome outcome;
  const uint32_t count = static_cast<uint32_t>(entries.size());
  for (uint32_t i = 0; i < count && !run.Stopped(); ++i) {
    const std::u16string& name = entries[i].name;
    const bool placed = entries[i].putInPlace && PutEntry(*run.journal, folder, name);
    if (placed) {
      run.Installed(name.c_str());
    } else {
      outcome.Fail(name.c_str(), u"held by another program");
    }
    run.Report(count, i + 1, name.c_str());
    if (!placed) break;
  }
  while (waitForStop && !run.Stopped()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return run.Stopped() ? InstallOutcome::Stopped() : outcome;
}

InstallOutcome FakeInstallEdge::InstallArchive(XZip&, const char16_t* nestedName,
                                               const char16_t* folder, const InstallRun& run) {
  installs.push_back(u"archive " + std::u16string(nestedName));
  return Install(folder, run);
}

InstallOutcome FakeInstallEdge::InstallPublished(const IClientInfo&, const char16_t* folder,
                                                 const InstallRun& run, ListFacts* list) {
  installs.push_back(u"published");
  *list = publishedList;
  return Install(folder, run);
}


