#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A registry value as stored: its type (REG_SZ, REG_DWORD, ...) and its bytes.
struct RegistryValue {
  uint32_t type = 0;
  std::vector<uint8_t> bytes;

  bool operator==(const RegistryValue& other) const {
    return type == other.type && bytes == other.bytes;
  }
};

// One change to the machine, recorded in the journal before it is made, with everything its
// undo needs: the journal file alone is enough to put the machine back as it was, also after the
// process that wrote it was killed.
struct JournalEntry {
  enum Kind : uint8_t {
    kFolderCreated = 1,  // path: a folder that was not there
    kFilePlaced = 2,     // path: a file written as staging, then renamed into place; backup: where
                         // the file it replaced was moved first (empty when there was none)
    kFileRemoved = 3,    // path: a file or folder moved aside to backup, deleted only at the
                         // commit
    kValueChanged = 4,   // key, name: a registry value written or deleted; previous: what it
                         // held (hadPrevious false: absent); createdKey: the highest key the write
                         // created (empty when the key was there)
    kCommitted = 5,      // every change before it stands: what remains is to drop the backups
  };

  Kind kind = kFolderCreated;
  std::u16string path;
  std::u16string staging;
  std::u16string backup;
  std::u16string key;
  std::u16string name;
  std::u16string createdKey;
  bool hadPrevious = false;
  RegistryValue previous;

  bool operator==(const JournalEntry& other) const;
};

// A journal file: a header naming the folder the journal belongs to, then one record per entry
// (its length, its bytes, their CRC-32). Records are appended one at a time, so a process killed
// while writing leaves at most its last record torn.

// The header for the journal of folder.
std::vector<uint8_t> EncodeJournalHeader(const std::u16string& folder);
// One record.
std::vector<uint8_t> EncodeJournalEntry(const JournalEntry& entry);

// Reads a journal file: its folder and its entries up to the first record that is torn or fails
// its CRC (what follows such a record was never acted on, since each change waits for its record
// to be written). False when the header is not a journal's; entries may then be empty.
bool DecodeJournal(const uint8_t* bytes, size_t count, std::u16string* folder,
                   std::vector<JournalEntry>* entries);
