#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The headers of a PE executable held in memory, as far as reading and rewriting its resources
// needs them: the optional header's alignments and sizes, the data directories and the section
// table, of PE32 and PE32+ images alike. Every offset and size is checked against the bytes when
// they are parsed, so a damaged or hostile file is refused with a reason and never read past.

struct PeSection {
  std::string name;  // up to eight bytes, without the zeros that pad it
  uint32_t virtualSize;
  uint32_t virtualAddress;
  uint32_t rawSize;
  uint32_t rawPointer;
  uint32_t characteristics;
};

struct PeDirectory {
  uint32_t address;  // an RVA, except for the certificate table's file offset
  uint32_t size;
};

class PeImage {
 public:
  static constexpr int kResourceDirectory = 2;
  static constexpr int kCertificateDirectory = 4;
  static constexpr int kRelocationDirectory = 5;
  // Section characteristics.
  static constexpr uint32_t kInitializedData = 0x00000040;
  static constexpr uint32_t kDiscardable = 0x02000000;

  // Reads the headers of bytes. False, with a one-line reason in problem, for anything that is
  // not a PE image whose headers and sections lie inside the bytes in ascending address order.
  bool Parse(const std::string& bytes, std::string& problem) {
    return ParseHeaders(bytes, bytes.size(), problem);
  }
  // Parse for the first bytes of a file of fileSize bytes, which hold at least its headers.
  bool ParseHeaders(const std::string& head, uint64_t fileSize, std::string& problem);

  uint32_t SectionAlignment() const { return sectionAlignment_; }
  uint32_t FileAlignment() const { return fileAlignment_; }
  uint32_t SizeOfHeaders() const { return sizeOfHeaders_; }
  uint32_t CheckSum() const { return checkSum_; }
  // The file offset of the COFF symbol table, which an unstripped image keeps after its sections
  // (with the long section names); 0 when there is none.
  uint32_t SymbolTable() const { return symbolTable_; }
  const std::vector<PeSection>& Sections() const { return sections_; }
  int DirectoryCount() const { return static_cast<int>(directoryCount_); }
  // The data directory at index; zero when the image has fewer directories.
  PeDirectory Directory(int index) const;
  // The index of the section whose address range holds rva; -1 when none does.
  int SectionAt(uint32_t rva) const;
  // The file offset of the n bytes at rva; false unless they all lie in one section's raw data
  // that is also mapped (and so in the file).
  bool FileOffset(uint32_t rva, uint32_t n, uint32_t& offset) const;

  // Where the fields a resource writer changes sit in the file.
  size_t SymbolTableOffset() const { return optionalHeader_ - 20 + 8; }
  size_t CheckSumOffset() const { return optionalHeader_ + 64; }
  size_t SizeOfImageOffset() const { return optionalHeader_ + 56; }
  size_t SizeOfInitializedDataOffset() const { return optionalHeader_ + 8; }
  size_t DirectoryOffset(int index) const;
  size_t SectionHeaderOffset(int index) const { return sectionTable_ + 40 * index; }

 private:
  size_t optionalHeader_ = 0;
  size_t directories_ = 0;
  size_t sectionTable_ = 0;
  uint32_t directoryCount_ = 0;
  uint32_t sectionAlignment_ = 0;
  uint32_t fileAlignment_ = 0;
  uint32_t sizeOfHeaders_ = 0;
  uint32_t checkSum_ = 0;
  uint32_t symbolTable_ = 0;
  std::vector<PeDirectory> directoryValues_;
  std::vector<PeSection> sections_;
};

// The PE checksum of an image: its 16-bit words summed with the carries folded back in, the
// checksum field itself left out, plus the image's length.
uint32_t PeChecksum(const std::string& bytes, size_t checkSumOffset);

// The PE checksum of an image taken in pieces, in the file's order, of any lengths.
class PeChecksumSum {
 public:
  explicit PeChecksumSum(size_t checkSumOffset) : checkSumOffset_(checkSumOffset) {}

  void Add(const uint8_t* bytes, size_t n);
  // The checksum of the bytes added so far.
  uint32_t Result() const;

 private:
  size_t checkSumOffset_;
  uint64_t length_ = 0;
  uint64_t sum_ = 0;
  uint32_t lowByte_ = 0;  // the first byte of a word whose second is still to come
};

// The addresses a section takes: its virtual size, or its raw size when that is larger.
uint32_t SectionExtent(const PeSection& section);

// value rounded up to a multiple of alignment, a power of two.
uint64_t AlignUp(uint64_t value, uint32_t alignment);
