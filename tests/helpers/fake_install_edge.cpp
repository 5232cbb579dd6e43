#include "tests/helpers/fake_install_edge.h"

#include <chrono>
#include <filesystem>
#include <fstream>

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

FakeInstallEdge::~FakeInstallEdge() {
  stuck = false;
  if (worker_.joinable()) worker_.join();
}

bool FakeInstallEdge::GetWindowsFolder(FixedWString<1024>* folder) {
  if (windowsFolder == nullptr) return false;
  folder->Assign(windowsFolder);
  return true;
}

bool FakeInstallEdge::ReadInstalledFolder(const IClientInfo&, FixedWString<1024>* folder) {
  if (installedFolder == nullptr) return false;
  folder->Assign(installedFolder);
  return true;
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

void FakeInstallEdge::Tell(const char16_t* text, Notice notice) {
  told.push_back(text);
  notices.push_back(notice);
}

bool FakeInstallEdge::StartWorker(std::function<void()> work) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (running_) return false;
    running_ = true;
  }
  if (worker_.joinable()) worker_.join();
  worker_ = std::thread([this, work] {
    work();
    std::lock_guard<std::mutex> lock(mutex_);
    running_ = false;
    ended_.notify_all();
  });
  return true;
}

bool FakeInstallEdge::WaitForWorker(uint32_t timeoutMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (running_ && stuck) return false;
  return ended_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return !running_; });
}

bool FakeInstallEdge::Install(const char16_t* folder, const InstallRun& run) {
  if (installFails) return false;
  const uint32_t count = static_cast<uint32_t>(entries.size());
  for (uint32_t i = 0; i < count; ++i) {
    if (run.Stopped()) return false;
    const FakeEntry& entry = entries[i];
    if (entry.putInPlace && PutEntry(folder, entry.name)) {
      run.Installed(entry.name.c_str());
    } else {
      run.Failed(entry.name.c_str());
    }
    run.Report(count, i + 1, entry.name.c_str());
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
  if (installFails) return false;
  *list = publishedList;
  return Install(folder, run);
}

void FakeInstallEdge::ReportInstall(const IClientInfo&, const char16_t* packageVersion) {
  reportedVersions.push_back(packageVersion);
}

void FakeInstallEdge::Register(const IClientInfo&, bool startWithWindows) {
  ++registrations;
  startedWithWindows = startWithWindows;
}
