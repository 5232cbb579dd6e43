#include "tests/helpers/fake_install_edge.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "support/entry_path.h"
#include "support/filesystem_path.h"
#include "support/path_text.h"

namespace {

// Puts entry in place below folder: a folder, or a file holding the entry's name.
bool PutEntry(const char16_t* folder, const std::u16string& entry) {
  char16_t path[kPathCapacity];
  if (!JoinEntryPath(folder, entry.c_str(), path)) return false;
  const std::filesystem::path target = ToFilesystemPath(path);
  std::error_code error;
  if (entry.back() == u'\\') return std::filesystem::create_directories(target, error) || !error;
  std::filesystem::create_directories(target.parent_path(), error);
  std::ofstream file(target, std::ios::binary | std::ios::trunc);
  file << std::string(entry.begin(), entry.end());
  return static_cast<bool>(file);
}

}  // namespace

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

bool FakeInstallEdge::Install(const char16_t* folder, const InstallRun& run) {
  if (installFails) return false;
  const uint32_t count = static_cast<uint32_t>(entries.size());
  for (uint32_t i = 0; i < count && !run.Stopped(); ++i) {
    const std::u16string& name = entries[i].name;
    if (entries[i].putInPlace && PutEntry(folder, name)) {
      run.Installed(name.c_str());
    } else {
      run.Failed(name.c_str());
    }
    run.Report(count, i + 1, name.c_str());
  }
  while (waitForStop && !run.Stopped()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return !run.Stopped();
}

bool FakeInstallEdge::InstallArchive(XZip&, const char16_t* nestedName, const char16_t* folder,
                                     const InstallRun& run) {
  installs.push_back(u"archive " + std::u16string(nestedName));
  return Install(folder, run);
}

bool FakeInstallEdge::InstallPublished(const IClientInfo&, const char16_t* folder,
                                       const InstallRun& run, ListFacts* list) {
  installs.push_back(u"published");
  *list = publishedList;
  return Install(folder, run);
}

void FakeInstallEdge::Register(const IClientInfo&, bool startWithWindows) {
  ++registrations;
  startedWithWindows = startWithWindows;
}
