#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "support/core/entry_sink.h"
#include "support/journal/journal_entry.h"

// A file being written at its staging name, piece by piece, that takes its final name once
// whole: in order (Put), or by workers each at its own place (PutAt), but not both.
class IStagedFile : public IEntrySink, public IPositionedSink {
 public:
  // Renames the file to path, never over another, and closes it; a file made at path itself is
  // only closed. False when a piece could not be written or the rename failed; the target's
  // LastError then says why.
  virtual bool Place(const std::u16string& path) = 0;
};

// What a change journal does to the machine: files, folders, registry values below
// HKEY_LOCAL_MACHINE and the journal file itself. The journal's logic is the same over the
// Windows file system and registry and over the tests' stand-in. Paths are full paths with "\"
// separators; keys are below HKEY_LOCAL_MACHINE.
class IJournalTarget {
 public:
  virtual ~IJournalTarget() = default;

  virtual bool PathExists(const std::u16string& path) = 0;
  // Renames a file or folder within its volume, never over another. A file that another program
  // holds is retried for a short while (scanners hold new files briefly) before it fails.
  virtual bool RenameFile(const std::u16string& from, const std::u16string& to) = 0;
  // Creates the file staging, where nothing is (never over another), for writing; null when it
  // cannot. What this one
  // makes is written through a C stream and placed by RenameFile; a target that can rename a
  // file through the handle it was written with does better: no second open by name.
  virtual std::unique_ptr<IStagedFile> CreateStagedFile(const std::u16string& staging);
  // True when the file is gone, also when it was never there.
  virtual bool RemoveFile(const std::u16string& path) = 0;
  virtual bool CreateFolder(const std::u16string& path) = 0;
  // True when the folder is gone; false while it holds anything.
  virtual bool RemoveEmptyFolder(const std::u16string& path) = 0;
  // Removes a file, or a folder with all it holds (never following a link out of it). True when
  // it is gone, also when it was never there.
  virtual bool RemoveTree(const std::u16string& path) = 0;
  // Whether some part of path below folder (path begins with folder, which ends with "\") that
  // exists is a link (a junction or symbolic link), the last part included: a change there would
  // land wherever the link points. The folder itself may be one. See link_check.h.
  virtual bool CrossesLink(const std::u16string& folder, const std::u16string& path) = 0;

  virtual bool KeyExists(const std::u16string& key) = 0;
  // False when the value is not there.
  virtual bool ReadValue(const std::u16string& key, const std::u16string& name,
                         RegistryValue* value) = 0;
  // Creates the key and those above it when missing.
  virtual bool WriteValue(const std::u16string& key, const std::u16string& name,
                          const RegistryValue& value) = 0;
  // True when the value is gone, also when it was never there.
  virtual bool DeleteValue(const std::u16string& key, const std::u16string& name) = 0;
  // True when the key is gone; false while it holds values or keys.
  virtual bool RemoveEmptyKey(const std::u16string& key) = 0;
  // Removes the key with its values. True when it is gone, also when it was never there; false
  // while it holds keys, or when it refuses.
  virtual bool RemoveKey(const std::u16string& key) = 0;

  // The journal file: created anew and held by this process until closed (false when one is
  // there already); each append reaches the file before it returns, so it survives the process
  // being killed right after.
  virtual bool CreateJournal(const std::u16string& path) = 0;
  virtual bool AppendJournal(const std::vector<uint8_t>& bytes) = 0;
  virtual void CloseJournal() = 0;
  // Reads a journal file whole. kBusy when a running program holds it.
  enum class JournalRead { kRead, kMissing, kBusy, kFailed };
  virtual JournalRead ReadJournal(const std::u16string& path, std::vector<uint8_t>* bytes) = 0;

  // Why the last failed operation failed, in the system's words, naming the program that holds a
  // file where the system can tell; empty when nothing failed.
  virtual std::u16string LastError() = 0;
};
