#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Small PE32+ executables made on the fly for the tests of the resource writer: sections one after
// the other at 0x1000-aligned addresses from 0x1000 and 0x200-aligned file offsets, the resource
// section's bytes made for its address, and what may follow the sections (other bytes, a symbol
// table, a certificate).

struct TestSection {
  std::string name;
  std::string bytes;
  uint32_t characteristics;
};

struct TestImage {
  static constexpr uint32_t kCode = 0x60000020;         // code, executable, readable
  static constexpr uint32_t kData = 0xC0000040;         // initialised, readable, writable
  static constexpr uint32_t kResources = 0x40000040;    // initialised, readable
  static constexpr uint32_t kRelocations = 0x42000040;  // discardable too
  static constexpr uint32_t kSectionAlignment = 0x1000;
  static constexpr uint32_t kFileAlignment = 0x200;

  std::vector<TestSection> sections;
  // The section whose bytes resources(address) gives and where the resource directory points;
  // -1 for none.
  int resourceSection = -1;
  std::function<std::string(uint32_t address)> resources;
  // The section the base relocation directory names whole; -1 for none.
  int relocationSection = -1;
  std::string overlay;       // bytes after the sections
  bool symbolTable = false;  // a COFF symbol table at the start of the overlay
  std::string certificate;   // a certificate table's bytes at the very end; empty for none
  bool checkSum = false;
};

std::string BuildTestImage(const TestImage& image);

// Reads and writes little-endian fields of a test image.
uint32_t Field32(const std::string& bytes, size_t offset);
void SetField32(std::string& bytes, size_t offset, uint32_t value);
void SetField16(std::string& bytes, size_t offset, uint16_t value);

// Offsets in what BuildTestImage writes.
constexpr size_t kTestPeHeader = 0x40;
constexpr size_t kTestOptionalHeader = kTestPeHeader + 24;
constexpr size_t kTestSectionTable = kTestOptionalHeader + 240;
constexpr size_t kTestDirectories = kTestOptionalHeader + 112;
