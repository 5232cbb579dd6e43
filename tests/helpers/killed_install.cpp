// killed_install SETUP.exe FOLDER POINT: install_headless's install, killed at POINT as a person
// ending it in the task manager would: the process ends at once, before the change it was about
// to make, with status 77, leaving whatever it left. POINT is the number of changes to the
// machine (files, folders, registry values, the journal) made before the kill, "registration"
// for the first registry value the install writes, or "count" to make the whole install and end
// with the number of changes it made as its exit status.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "install/windows_install_edge.h"
#include "setup/headless_install.h"
#include "support/journal_target_windows.h"
#include "support/wide_text.h"

namespace {

constexpr UINT kKilled = 77;

// The real machine, until the kill point.
class KillingTarget : public IJournalTarget {
 public:
  // Killed before change number killAt (from 0); at the first value written when atValue; never
  // when killAt is below 0.
  KillingTarget(int killAt, bool atValue) : killAt_(killAt), atValue_(atValue) {}
  int Changes() const { return changes_; }

  bool PathExists(const std::u16string& path) override { return real_.PathExists(path); }
  bool RenameFile(const std::u16string& from, const std::u16string& to) override {
    return Change() && real_.RenameFile(from, to);
  }
  bool RemoveFile(const std::u16string& path) override {
    return Change() && real_.RemoveFile(path);
  }
  bool CreateFolder(const std::u16string& path) override {
    return Change() && real_.CreateFolder(path);
  }
  bool RemoveEmptyFolder(const std::u16string& path) override {
    return Change() && real_.RemoveEmptyFolder(path);
  }
  bool RemoveTree(const std::u16string& path) override {
    return Change() && real_.RemoveTree(path);
  }
  bool KeyExists(const std::u16string& key) override { return real_.KeyExists(key); }
  bool ReadValue(const std::u16string& key, const std::u16string& name,
                 RegistryValue* value) override {
    return real_.ReadValue(key, name, value);
  }
  bool WriteValue(const std::u16string& key, const std::u16string& name,
                  const RegistryValue& value) override {
    if (atValue_) TerminateProcess(GetCurrentProcess(), kKilled);
    return Change() && real_.WriteValue(key, name, value);
  }
  bool DeleteValue(const std::u16string& key, const std::u16string& name) override {
    return Change() && real_.DeleteValue(key, name);
  }
  bool RemoveEmptyKey(const std::u16string& key) override {
    return Change() && real_.RemoveEmptyKey(key);
  }
  bool CreateJournal(const std::u16string& path) override {
    return Change() && real_.CreateJournal(path);
  }
  bool AppendJournal(const std::vector<uint8_t>& bytes) override {
    return Change() && real_.AppendJournal(bytes);
  }
  void CloseJournal() override { real_.CloseJournal(); }
  JournalRead ReadJournal(const std::u16string& path, std::vector<uint8_t>* bytes) override {
    return real_.ReadJournal(path, bytes);
  }
  std::u16string LastError() override { return real_.LastError(); }

 private:
  bool Change() {
    if (changes_++ == killAt_) TerminateProcess(GetCurrentProcess(), kKilled);
    return true;
  }

  CWindowsJournalTarget real_;
  int killAt_;
  bool atValue_;
  int changes_ = 0;
};

class KillingEdge : public CWindowsInstallEdge {
 public:
  explicit KillingEdge(KillingTarget& target) : target_(target) {}
  IJournalTarget& JournalTarget() override { return target_; }

 private:
  KillingTarget& target_;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
  wchar_t setup[MAX_PATH];
  wchar_t folder[MAX_PATH];
  if (argc != 4 || GetFullPathNameW(argv[1], MAX_PATH, setup, nullptr) == 0 ||
      GetFullPathNameW(argv[2], MAX_PATH, folder, nullptr) == 0) {
    std::fputs("usage: killed_install SETUP.exe FOLDER CHANGES|registration|count\n", stderr);
    return 1;
  }
  const std::wstring point = argv[3];
  const bool counting = point == L"count";
  const bool atValue = point == L"registration";
  KillingTarget target(counting || atValue ? -1 : std::wcstol(argv[3], nullptr, 10), atValue);
  KillingEdge edge(target);
  const int status = RunHeadlessInstall(AsUtf16(setup), AsUtf16(folder), edge);
  return counting ? target.Changes() : status;
}
