#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/journal/journal_target_windows.h"

// The real machine (files, registry, the journal) for a program that the tests kill part way,
// as a person ending it in the task manager would: the process ends at once, before the change
// it was about to make, with kKilledExitCode, leaving whatever it left.
class KillingTarget : public IJournalTarget {
 public:
  static constexpr uint32_t kKilledExitCode = 77;

  // When the process is killed.
  struct Point {
    int change = -1;  // before change number change (from 0) to the machine; -1: never
    int rename = -1;  // before rename number rename (from 0), the swap of files into place
    bool atValue = false;  // before the first registry value it writes
  };
  // Reads a point given on a command line: a number of changes, "rename:N", "registration",
  // or "count" (never killed).
  static Point Parse(const std::wstring& text);

  explicit KillingTarget(const Point& point) : point_(point) {}
  int Changes() const { return changes_; }

  bool PathExists(const std::u16string& path) override { return real_.PathExists(path); }
  bool RenameFile(const std::u16string& from, const std::u16string& to) override;
  bool RemoveFile(const std::u16string& path) override;
  bool CreateFolder(const std::u16string& path) override;
  bool RemoveEmptyFolder(const std::u16string& path) override;
  bool RemoveTree(const std::u16string& path) override;
  bool CrossesLink(const std::u16string& folder, const std::u16string& path) override {
    return real_.CrossesLink(folder, path);
  }
  bool KeyExists(const std::u16string& key) override { return real_.KeyExists(key); }
  bool ReadValue(const std::u16string& key, const std::u16string& name,
                 RegistryValue* value) override {
    return real_.ReadValue(key, name, value);
  }
  bool WriteValue(const std::u16string& key, const std::u16string& name,
                  const RegistryValue& value) override;
  bool DeleteValue(const std::u16string& key, const std::u16string& name) override;
  bool RemoveEmptyKey(const std::u16string& key) override;
  bool RemoveKey(const std::u16string& key) override;
  bool CreateJournal(const std::u16string& path) override;
  bool AppendJournal(const std::vector<uint8_t>& bytes) override;
  void CloseJournal() override { real_.CloseJournal(); }
  JournalRead ReadJournal(const std::u16string& path, std::vector<uint8_t>* bytes) override {
    return real_.ReadJournal(path, bytes);
  }
  std::u16string LastError() override { return real_.LastError(); }

 private:
  // Counts a change; the process ends at the point.
  void Change();

  CWindowsJournalTarget real_;
  Point point_;
  int changes_ = 0;
  int renames_ = 0;
};
