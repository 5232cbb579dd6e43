#pragma once

#include <functional>
#include <mutex>

#include "support/core/handle_windows.h"
#include "support/journal/journal_target.h"

// The journal's machine on Windows: the file system, the registry below HKEY_LOCAL_MACHINE in
// the process's default view, and the journal file held open with others allowed to read it
// only, so that a second run can tell a live journal from one a killed run left.
class CWindowsJournalTarget : public IJournalTarget {
 public:
  // How long a file another program holds is retried before its move fails.
  static constexpr unsigned kHeldFileWaitMs = 2000;

  bool PathExists(const std::u16string& path) override;
  bool RenameFile(const std::u16string& from, const std::u16string& to) override;
  // Written with WriteFile and renamed through its own handle.
  std::unique_ptr<IStagedFile> CreateStagedFile(const std::u16string& staging) override;
  bool RemoveFile(const std::u16string& path) override;
  bool CreateFolder(const std::u16string& path) override;
  bool RemoveEmptyFolder(const std::u16string& path) override;
  bool RemoveTree(const std::u16string& path) override;
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
  void CloseJournal() override { journal_.Reset(nullptr); }
  JournalRead ReadJournal(const std::u16string& path, std::vector<uint8_t>* bytes) override;
  std::u16string LastError() override;

 private:
  // Keeps the system's error of a failed call, with the programs holding path when that is why.
  bool Failed(const std::u16string& path);
  // Calls rename until it succeeds, waiting for a while for a file another program holds.
  bool Renamed(const std::u16string& from, const std::function<bool()>& rename);

  class StagedFile;

  Handle journal_;
  std::u16string journalPath_;  // of the journal held open, for the reason a write failed
  // Files may be placed on another thread than the one making the other changes.
  std::mutex errorLock_;
  std::u16string lastError_;
};
