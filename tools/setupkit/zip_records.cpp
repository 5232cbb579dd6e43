#include "tools/setupkit/zip_records.h"

#include <initializer_list>

namespace {

constexpr uint32_t kLocalHeaderSignature = 0x04034B50;
constexpr uint32_t kCentralHeaderSignature = 0x02014B50;
constexpr uint32_t kZip64EndSignature = 0x06064B50;
constexpr uint32_t kZip64LocatorSignature = 0x07064B50;
constexpr uint32_t kEndSignature = 0x06054B50;
constexpr uint16_t kZip64ExtraField = 0x0001;
// The format's versions: 2.0 reads deflate and encryption, 4.5 the zip64 records too. The
// classic records name 2.0 as needed and no version as made by (an MS-DOS host, version 0).
constexpr uint16_t kClassicVersion = 20;
constexpr uint16_t kZip64Version = 45;
constexpr uint16_t kClassicMadeBy = 0;
// What the zip64 end record counts of itself: all of it after its signature and this field.
constexpr uint64_t kZip64EndRecordSize = 44;

void Put16(std::string& out, uint64_t value) {
  for (int i = 0; i < 2; ++i) out += static_cast<char>(value >> (8 * i));
}
void Put32(std::string& out, uint64_t value) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>(value >> (8 * i));
}
void Put64(std::string& out, uint64_t value) {
  for (int i = 0; i < 8; ++i) out += static_cast<char>(value >> (8 * i));
}

// The value as its classic field holds it: itself below the limit, else all ones, which tells a
// reader to find it in the zip64 records.
uint64_t Classic(uint64_t value, uint64_t limit, uint64_t allOnes) {
  return value < limit ? value : allOnes;
}

bool OffsetIsZip64(const ZipEntryRecord& entry, const ZipLimits& limits) {
  return entry.offset >= limits.largest32;
}

// Readers compare the version needed in the two headers, so both give the same one.
uint16_t VersionNeeded(const ZipEntryRecord& entry, const ZipLimits& limits) {
  return entry.zip64Sizes || OffsetIsZip64(entry, limits) ? kZip64Version : kClassicVersion;
}

// The fields both headers begin with, from the version needed to the name's length.
void PutCommonFields(std::string& out, const ZipEntryRecord& entry, const ZipLimits& limits) {
  Put16(out, VersionNeeded(entry, limits));
  Put16(out, entry.flags);
  Put16(out, entry.method);
  Put32(out, entry.dosTime);
  Put32(out, entry.crc);
  Put32(out, entry.zip64Sizes ? 0xFFFFFFFF : entry.storedSize);
  Put32(out, entry.zip64Sizes ? 0xFFFFFFFF : entry.size);
  Put16(out, entry.name.size());
}

// The zip64 extra field holding the given values, in the format's order; empty for none.
std::string Zip64Extra(std::initializer_list<uint64_t> values) {
  std::string extra;
  if (values.size() == 0) return extra;
  Put16(extra, kZip64ExtraField);
  Put16(extra, 8 * values.size());
  for (uint64_t value : values) Put64(extra, value);
  return extra;
}

}  // namespace

std::string LocalHeader(const ZipEntryRecord& entry, const ZipLimits& limits) {
  const std::string extra =
      entry.zip64Sizes ? Zip64Extra({entry.size, entry.storedSize}) : std::string();
  std::string out;
  Put32(out, kLocalHeaderSignature);
  PutCommonFields(out, entry, limits);
  Put16(out, extra.size());
  return out + entry.name + extra;
}

std::string CentralHeader(const ZipEntryRecord& entry, const ZipLimits& limits) {
  const bool zip64Offset = OffsetIsZip64(entry, limits);
  std::string extra;
  if (entry.zip64Sizes && zip64Offset) {
    extra = Zip64Extra({entry.size, entry.storedSize, entry.offset});
  } else if (entry.zip64Sizes) {
    extra = Zip64Extra({entry.size, entry.storedSize});
  } else if (zip64Offset) {
    extra = Zip64Extra({entry.offset});
  }
  extra += entry.centralExtra;
  const uint16_t version = VersionNeeded(entry, limits);
  std::string out;
  Put32(out, kCentralHeaderSignature);
  Put16(out, version == kZip64Version ? kZip64Version : kClassicMadeBy);
  PutCommonFields(out, entry, limits);
  Put16(out, extra.size());
  Put16(out, 0);  // comment length
  Put16(out, 0);  // disk number
  Put16(out, entry.internalAttributes);
  Put32(out, entry.externalAttributes);
  Put32(out, Classic(entry.offset, limits.largest32, 0xFFFFFFFF));
  return out + entry.name + extra;
}

std::string EndRecords(uint64_t count, uint64_t directoryOffset, uint64_t directorySize,
                       const ZipLimits& limits) {
  std::string out;
  if (count >= limits.mostEntries16 || directoryOffset >= limits.largest32 ||
      directorySize >= limits.largest32) {
    const uint64_t recordOffset = directoryOffset + directorySize;
    Put32(out, kZip64EndSignature);
    Put64(out, kZip64EndRecordSize);
    Put16(out, kZip64Version);  // made by
    Put16(out, kZip64Version);  // needed
    Put32(out, 0);              // this disk
    Put32(out, 0);              // the disk the directory starts on
    Put64(out, count);          // on this disk
    Put64(out, count);
    Put64(out, directorySize);
    Put64(out, directoryOffset);
    Put32(out, kZip64LocatorSignature);
    Put32(out, 0);  // the disk the zip64 end record is on
    Put64(out, recordOffset);
    Put32(out, 1);  // disks in all
  }
  const uint64_t classicCount = Classic(count, limits.mostEntries16, 0xFFFF);
  Put32(out, kEndSignature);
  Put16(out, 0);             // this disk
  Put16(out, 0);             // the disk the directory starts on
  Put16(out, classicCount);  // on this disk
  Put16(out, classicCount);
  Put32(out, Classic(directorySize, limits.largest32, 0xFFFFFFFF));
  Put32(out, Classic(directoryOffset, limits.largest32, 0xFFFFFFFF));
  Put16(out, 0);  // comment length
  return out;
}
