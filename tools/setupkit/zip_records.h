#pragma once

#include <cstdint>
#include <string>

// The records of a zip archive around its entries' data: each entry's local header and central
// directory header, and the records that end the central directory. A size or an offset that
// reaches the limit of its 32-bit field, or an entry count that reaches that of its 16-bit one,
// goes into the zip64 records (the extra field 0x0001, the zip64 end of central directory record
// and its locator); below those limits the records are the classic ones, as readers from before
// zip64 read them.

// Where the classic fields end. Tests lower them to reach the zip64 records with small archives.
struct ZipLimits {
  uint64_t largest32 = 0xFFFFFFFF;  // a size or offset from here on is zip64's
  uint64_t mostEntries16 = 0xFFFF;  // an entry count from here on is zip64's
};

struct ZipEntryRecord {
  std::string name;  // its stored bytes
  uint16_t flags = 0;
  uint16_t method = 0;
  uint32_t dosTime = 0;
  uint32_t crc = 0;
  uint64_t size = 0;        // uncompressed
  uint64_t storedSize = 0;  // its data as it lies in the archive, encryption header included
  uint64_t offset = 0;      // of its local header in the archive
  uint16_t internalAttributes = 0;
  uint32_t externalAttributes = 0;
  // Both sizes go into the zip64 extra field. The local header comes before the data, so this is
  // decided from the most the data can take, before anything is written.
  bool zip64Sizes = false;
  // Extra fields of the central directory header alone, after the zip64 one: the piece index.
  std::string centralExtra;
};

// The entry's local header. Its length depends only on the name and zip64Sizes, so it can be
// written before its stored size is known and written again over itself afterwards.
std::string LocalHeader(const ZipEntryRecord& entry, const ZipLimits& limits);

// The entry's header in the central directory.
std::string CentralHeader(const ZipEntryRecord& entry, const ZipLimits& limits);

// What follows a central directory of count entries that starts at directoryOffset and takes
// directorySize bytes: the end record, after the zip64 end record and its locator when a value
// reaches its field's limit.
std::string EndRecords(uint64_t count, uint64_t directoryOffset, uint64_t directorySize,
                       const ZipLimits& limits);
