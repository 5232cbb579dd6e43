#pragma once

#include <atomic>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "support/journal/journal_target.h"

// The journal's machine for the native tests: files, folders and links on the real disk (paths
// with "\" separators, as the journal builds them), a registry in memory. It can be made to stop
// working after a number of operations, as a killed process stops: what was done stays done and
// nothing after it happens, the journal file stays as far as it was written.
class JournalTestTarget : public IJournalTarget {
 public:
  // Operations after the first n fail and change nothing; -1: none do.
  void DieAfter(int n) { lifeLeft_ = n; }
  bool Dead() const { return lifeLeft_ == 0; }
  void Revive() { lifeLeft_ = -1; }
  // Moving this file away fails, as for a file another program holds open.
  void Hold(const std::u16string& path) { held_.insert(path); }
  // Closing the file made at this name fails, as when its last writes did not reach the disk.
  void FailClosing(const std::u16string& path) { unclosable_.insert(path); }
  // Removing this file (or a folder holding it) or this key, or writing or deleting this value
  // ("key\name"), fails, as for a file another program holds open or a key that refuses.
  void RefuseRemoval(const std::u16string& path) { kept_.insert(path); }
  int Operations() const { return operations_.load(); }
  // Writes to the journal file: each one a wait for the disk on a real machine.
  int JournalWrites() const { return journalWrites_; }

  // The registry as a sorted list of "key\name=type:bytes" lines, for comparing states.
  std::vector<std::string> RegistryLines() const;
  std::set<std::u16string> Keys() const { return keys_; }

  bool PathExists(const std::u16string& path) override;
  bool RenameFile(const std::u16string& from, const std::u16string& to) override;
  // Making a file is an operation too: a run killed after it leaves the file as far as written.
  std::unique_ptr<IStagedFile> CreateStagedFile(const std::u16string& staging) override;
  bool RemoveFile(const std::u16string& path) override;
  bool CreateFolder(const std::u16string& path) override;
  bool RemoveEmptyFolder(const std::u16string& path) override;
  bool RemoveTree(const std::u16string& path) override;
  // Symbolic links on the disk (as MadeLink makes them); under Wine, the system's answer.
  bool CrossesLink(const std::u16string& folder, const std::u16string& path) override;
  bool KeyExists(const std::u16string& key) override;
  bool ReadValue(const std::u16string& key, const std::u16string& name,
                 RegistryValue* value) override;
  bool WriteValue(const std::u16string& key, const std::u16string& name,
                  const RegistryValue& value) override;
  bool DeleteValue(const std::u16string& key, const std::u16string& name) override;
  bool RemoveEmptyKey(const std::u16string& key) override;
  bool RemoveKey(const std::u16string& key) override;
  bool CreateJournal(const std::u16string& path) override;
  bool AppendJournal(const std::vector<uint8_t>& bytes) override;
  void CloseJournal() override { journal_.clear(); }
  JournalRead ReadJournal(const std::u16string& path, std::vector<uint8_t>* bytes) override;
  std::u16string LastError() override { return lastError_.load(); }

 private:
  // Counts an operation that changes something; false once the target is dead.
  bool Alive();
  // Whether removing path (a file, a folder or a key) fails; the reason is kept.
  bool Refuses(const std::u16string& path);

  std::atomic<int> lifeLeft_{-1};
  std::atomic<int> operations_{0};
  int journalWrites_ = 0;
  std::set<std::u16string> held_;
  std::set<std::u16string> unclosable_;
  std::set<std::u16string> kept_;
  std::set<std::u16string> keys_;
  std::map<std::pair<std::u16string, std::u16string>, RegistryValue> values_;
  std::u16string journal_;
  // Files are placed on a thread of their own while the run goes on.
  std::mutex lifeLock_;
  std::atomic<const char16_t*> lastError_{u""};
};

// "\"-separated form of a file system path, as the installer builds paths.
std::u16string WindowsStylePath(const std::u16string& path);

// What a test's machine holds: the files below a folder with their bytes ("<folder>" for a
// folder), by "/" name relative to it, and the target's registry lines; for comparing states.
struct MachineState {
  std::map<std::string, std::string> files;
  std::vector<std::string> registry;
  bool operator==(const MachineState& other) const {
    return files == other.files && registry == other.registry;
  }
};

MachineState StateBelow(const std::filesystem::path& folder, const JournalTestTarget& machine);
