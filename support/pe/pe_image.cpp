#include "support/pe/pe_image.h"

#include "support/core/little_endian.h"

namespace {

constexpr size_t kDosHeaderSize = 64;
constexpr size_t kNewHeaderPointer = 0x3C;
constexpr size_t kFileHeaderSize = 20;
constexpr size_t kSectionHeaderSize = 40;
constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;
// The most sections the Windows loader takes.
constexpr uint16_t kMaxSections = 96;
constexpr uint32_t kMaxDirectories = 16;

bool IsPowerOfTwo(uint32_t value) { return value != 0 && (value & (value - 1)) == 0; }

const uint8_t* At(const std::string& bytes, size_t offset) {
  return reinterpret_cast<const uint8_t*>(bytes.data()) + offset;
}

bool Refuse(std::string& problem, const char* reason) {
  problem = reason;
  return false;
}

}  // namespace

bool PeImage::ParseHeaders(const std::string& bytes, uint64_t fileSize, std::string& problem) {
  *this = PeImage();
  const size_t n = bytes.size();
  if (n < kDosHeaderSize || bytes[0] != 'M' || bytes[1] != 'Z') {
    return Refuse(problem, "is not an executable (no MZ header)");
  }
  const uint32_t peHeader = ReadLe32(At(bytes, kNewHeaderPointer));
  if (peHeader > n || n - peHeader < 4 + kFileHeaderSize ||
      bytes.compare(peHeader, 4, std::string("PE\0\0", 4)) != 0) {
    return Refuse(problem, "is not a PE executable (no PE header)");
  }
  const uint8_t* fileHeader = At(bytes, peHeader + 4);
  const uint16_t sectionCount = ReadLe16(fileHeader + 2);
  const uint16_t optionalSize = ReadLe16(fileHeader + 16);
  symbolTable_ = ReadLe32(fileHeader + 8);
  optionalHeader_ = peHeader + 4 + kFileHeaderSize;
  if (sectionCount == 0 || sectionCount > kMaxSections) {
    return Refuse(problem, "has a damaged PE header (section count)");
  }
  if (optionalSize < 2 || n - optionalHeader_ < optionalSize) {
    return Refuse(problem, "has a damaged PE header (optional header)");
  }
  const uint8_t* optional = At(bytes, optionalHeader_);
  const uint16_t magic = ReadLe16(optional);
  if (magic != kPe32Magic && magic != kPe32PlusMagic) {
    return Refuse(problem, "has an optional header of an unknown kind");
  }
  const size_t countField = magic == kPe32PlusMagic ? 108 : 92;
  if (optionalSize < countField + 4) {
    return Refuse(problem, "has a damaged PE header (optional header too short)");
  }
  directoryCount_ = ReadLe32(optional + countField);
  directories_ = optionalHeader_ + countField + 4;
  if (directoryCount_ > kMaxDirectories ||
      countField + 4 + 8 * static_cast<size_t>(directoryCount_) > optionalSize) {
    return Refuse(problem, "has a damaged PE header (data directories)");
  }
  for (uint32_t i = 0; i < directoryCount_; ++i) {
    const uint8_t* entry = At(bytes, directories_ + 8 * i);
    directoryValues_.push_back({ReadLe32(entry), ReadLe32(entry + 4)});
  }
  sectionAlignment_ = ReadLe32(optional + 32);
  fileAlignment_ = ReadLe32(optional + 36);
  sizeOfHeaders_ = ReadLe32(optional + 60);
  checkSum_ = ReadLe32(optional + 64);
  if (!IsPowerOfTwo(sectionAlignment_) || !IsPowerOfTwo(fileAlignment_) ||
      fileAlignment_ > sectionAlignment_) {
    return Refuse(problem, "has a damaged PE header (alignments)");
  }
  sectionTable_ = optionalHeader_ + optionalSize;
  if ((n - sectionTable_) / kSectionHeaderSize < sectionCount ||
      sectionTable_ + kSectionHeaderSize * sectionCount > sizeOfHeaders_ || sizeOfHeaders_ > n) {
    return Refuse(problem, "has a damaged PE header (section table)");
  }
  uint64_t addressEnd = 0;
  for (uint16_t i = 0; i < sectionCount; ++i) {
    const uint8_t* header = At(bytes, SectionHeaderOffset(i));
    PeSection section;
    section.name.assign(reinterpret_cast<const char*>(header), 8);
    section.name.resize(section.name.find('\0') == std::string::npos ? 8 : section.name.find('\0'));
    section.virtualSize = ReadLe32(header + 8);
    section.virtualAddress = ReadLe32(header + 12);
    section.rawSize = ReadLe32(header + 16);
    section.rawPointer = ReadLe32(header + 20);
    section.characteristics = ReadLe32(header + 36);
    if (section.rawSize != 0 &&
        (section.rawPointer > fileSize || fileSize - section.rawPointer < section.rawSize)) {
      return Refuse(problem, "has a section whose data lies outside the file");
    }
    if (section.rawSize != 0 && section.rawPointer < sizeOfHeaders_) {
      return Refuse(problem, "has a section whose data lies inside its headers");
    }
    const uint64_t extent = SectionExtent(section);
    if (section.virtualAddress < addressEnd || section.virtualAddress + extent > UINT32_MAX) {
      return Refuse(problem, "has sections that overlap or are out of order");
    }
    addressEnd = section.virtualAddress + extent;
    sections_.push_back(section);
  }
  return true;
}

PeDirectory PeImage::Directory(int index) const {
  if (index < 0 || index >= DirectoryCount()) return {0, 0};
  return directoryValues_[index];
}

size_t PeImage::DirectoryOffset(int index) const { return directories_ + 8 * index; }

int PeImage::SectionAt(uint32_t rva) const {
  for (size_t i = 0; i < sections_.size(); ++i) {
    const PeSection& section = sections_[i];
    const uint32_t extent = SectionExtent(section);
    if (rva >= section.virtualAddress && rva - section.virtualAddress < extent) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

bool PeImage::FileOffset(uint32_t rva, uint32_t n, uint32_t& offset) const {
  const int index = SectionAt(rva);
  if (index < 0) return false;
  const PeSection& section = sections_[index];
  // A section without raw data has nothing in the file; its pointer means nothing.
  if (section.rawSize == 0) return false;
  // Bytes past the virtual size are not mapped, even when the file holds them.
  uint32_t mapped = section.rawSize;
  if (section.virtualSize != 0 && section.virtualSize < mapped) mapped = section.virtualSize;
  const uint32_t start = rva - section.virtualAddress;
  if (start > mapped || mapped - start < n) return false;
  offset = section.rawPointer + start;
  return true;
}

uint32_t PeChecksum(const std::string& bytes, size_t checkSumOffset) {
  PeChecksumSum sum(checkSumOffset);
  sum.Add(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  return sum.Result();
}

void PeChecksumSum::Add(const uint8_t* bytes, size_t n) {
  for (size_t i = 0; i < n; ++i, ++length_) {
    // The field counts as zero wherever it lies.
    const bool inField = length_ >= checkSumOffset_ && length_ - checkSumOffset_ < 4;
    const uint32_t byte = inField ? 0 : bytes[i];
    if ((length_ & 1) == 0) {
      lowByte_ = byte;
      continue;
    }
    sum_ += lowByte_ | byte << 8;
    sum_ = (sum_ & 0xFFFF) + (sum_ >> 16);
  }
}

uint32_t PeChecksumSum::Result() const {
  uint64_t sum = sum_;
  // An odd length ends with a word whose high byte is zero.
  if ((length_ & 1) != 0) {
    sum += lowByte_;
    sum = (sum & 0xFFFF) + (sum >> 16);
  }
  sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<uint32_t>(sum + length_);
}

uint32_t SectionExtent(const PeSection& section) {
  return section.virtualSize > section.rawSize ? section.virtualSize : section.rawSize;
}

uint64_t AlignUp(uint64_t value, uint32_t alignment) {
  return (value + alignment - 1) & ~static_cast<uint64_t>(alignment - 1);
}
