#include "tests/helpers/pe_builder.h"

#include "support/pe/pe_image.h"

namespace {

constexpr uint32_t kHeadersSize = 0x400;

uint32_t Aligned(uint64_t value, uint32_t alignment) {
  return static_cast<uint32_t>(AlignUp(value, alignment));
}

}  // namespace

uint32_t Field32(const std::string& bytes, size_t offset) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(bytes[offset + i]);
  return value;
}

void SetField32(std::string& bytes, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>(value >> (8 * i));
}

void SetField16(std::string& bytes, size_t offset, uint16_t value) {
  bytes[offset] = static_cast<char>(value);
  bytes[offset + 1] = static_cast<char>(value >> 8);
}

std::string BuildTestImage(const TestImage& image) {
  std::vector<TestSection> sections = image.sections;
  std::string out(kHeadersSize, '\0');
  out[0] = 'M';
  out[1] = 'Z';
  SetField32(out, 0x3C, kTestPeHeader);
  out.replace(kTestPeHeader, 4, std::string("PE\0\0", 4));
  const size_t fileHeader = kTestPeHeader + 4;
  SetField16(out, fileHeader, 0x8664);
  SetField16(out, fileHeader + 2, static_cast<uint16_t>(sections.size()));
  SetField16(out, fileHeader + 16, 240);
  SetField16(out, fileHeader + 18, 0x0022);
  const size_t optional = kTestOptionalHeader;
  SetField16(out, optional, 0x20B);
  SetField32(out, optional + 32, TestImage::kSectionAlignment);
  SetField32(out, optional + 36, TestImage::kFileAlignment);
  SetField16(out, optional + 40, 6);
  SetField16(out, optional + 48, 6);
  SetField32(out, optional + 60, kHeadersSize);
  SetField16(out, optional + 68, 3);
  SetField32(out, optional + 108, 16);

  uint32_t initialisedData = 0;
  uint32_t address = TestImage::kSectionAlignment;
  std::vector<uint32_t> addresses;
  for (size_t i = 0; i < sections.size(); ++i) {
    TestSection& section = sections[i];
    if (static_cast<int>(i) == image.resourceSection) section.bytes = image.resources(address);
    const size_t header = kTestSectionTable + 40 * i;
    out.replace(header, section.name.size(), section.name);
    const uint32_t rawSize = Aligned(section.bytes.size(), TestImage::kFileAlignment);
    addresses.push_back(address);
    SetField32(out, header + 8, static_cast<uint32_t>(section.bytes.size()));
    SetField32(out, header + 12, address);
    SetField32(out, header + 16, rawSize);
    SetField32(out, header + 20, static_cast<uint32_t>(out.size()));
    SetField32(out, header + 36, section.characteristics);
    out += section.bytes;
    out.resize(Aligned(out.size(), TestImage::kFileAlignment), '\0');
    if (section.characteristics & PeImage::kInitializedData) initialisedData += rawSize;
    address += Aligned(section.bytes.size(), TestImage::kSectionAlignment);
  }
  SetField32(out, optional + 8, initialisedData);
  SetField32(out, optional + 56, address);
  if (image.resourceSection >= 0) {
    SetField32(out, kTestDirectories + 8 * PeImage::kResourceDirectory,
               addresses[image.resourceSection]);
    SetField32(out, kTestDirectories + 8 * PeImage::kResourceDirectory + 4,
               static_cast<uint32_t>(sections[image.resourceSection].bytes.size()));
  }
  if (image.relocationSection >= 0) {
    SetField32(out, kTestDirectories + 8 * PeImage::kRelocationDirectory,
               addresses[image.relocationSection]);
    SetField32(out, kTestDirectories + 8 * PeImage::kRelocationDirectory + 4,
               static_cast<uint32_t>(sections[image.relocationSection].bytes.size()));
  }
  if (image.symbolTable) {
    SetField32(out, fileHeader + 8, static_cast<uint32_t>(out.size()));
    SetField32(out, fileHeader + 12, 1);
  }
  out += image.overlay;
  if (!image.certificate.empty()) {
    out.resize(Aligned(out.size(), 8), '\0');
    SetField32(out, kTestDirectories + 8 * PeImage::kCertificateDirectory,
               static_cast<uint32_t>(out.size()));
    SetField32(out, kTestDirectories + 8 * PeImage::kCertificateDirectory + 4,
               static_cast<uint32_t>(image.certificate.size()));
    out += image.certificate;
  }
  if (image.checkSum) SetField32(out, optional + 64, PeChecksum(out, optional + 64));
  return out;
}
