#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "support/system/cpu_text.h"
#include "support/system/machine_text.h"
#include "support/system/os_name.h"

namespace {

TEST(OsName, NamesVersionsByMajorMinorAndProductType) {
  struct Case {
    uint32_t productType, major, minor;
    const char16_t* expected;  // null: no name
  };
  const Case cases[] = {
      {1, 6, 1, u"Windows 7"},       {3, 6, 1, u"Windows Server 2008 R2"},
      {1, 10, 0, u"Windows 10"},     {2, 10, 0, u"Windows Server 2016"},
      {1, 5, 1, u"Windows XP"},      {3, 5, 1, u"Windows XP"},
      {1, 6, 4, nullptr},            {1, 11, 0, u"unknown"},
      {1, 4, 0, u"unknown"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.major * 100 + c.minor);
    const char16_t* name = GetOsName(PackOsVersion(2, c.productType, c.major, c.minor));
    if (c.expected == nullptr) {
      EXPECT_EQ(name, nullptr);
    } else {
      ASSERT_NE(name, nullptr);
      EXPECT_EQ(std::u16string(name), c.expected);
    }
  }
  EXPECT_EQ(GetOsName(0), nullptr);
  EXPECT_EQ(PackOsVersion(2, 1, 6, 1), 0x02010601u);
}

CpuidRegisters FakeIntel(uint32_t leaf) {
  auto word = [](const char* four) {
    uint32_t value;
    std::memcpy(&value, four, 4);
    return value;
  };
  switch (leaf) {
    case 0: return {1, word("Genu"), word("ntel"), word("ineI")};
    case 1: return {0x000306A9, 0x11, 0x7FBAE3FF, 0xBFEBFBFF};
    case 2: return {0x76035A01, 0x00F0B2FF, 0, 0x00CA0000};
    case 0x80000000: return {0x80000004, 0, 0, 0};
    case 0x80000002: return {word("Fake"), word(" CPU"), word(" @ 3"), word("GHz\0")};
    default: return {0, 0, 0, 0};
  }
}

CpuidRegisters FakeWithoutBrand(uint32_t leaf) {
  return leaf == 0x80000000 ? CpuidRegisters{0x80000001, 0, 0, 0} : FakeIntel(leaf);
}

TEST(CpuText, VendorInRegisterOrderThenBrandThenLeaves) {
  char out[kCpuTextCapacity];
  int length = FormatCpuText(out, FakeIntel);
  EXPECT_EQ(std::string(out),
            "GenuntelineIFake CPU @ 3GHz BFEBFBFF000306A97FBAE3FF76035A0100F0B2FF0000000000CA0000");
  EXPECT_EQ(length, static_cast<int>(std::strlen(out)));
  length = FormatCpuText(out, FakeWithoutBrand);
  EXPECT_EQ(std::string(out).substr(0, 13), "GenuntelineI ");
  EXPECT_EQ(length, 12 + 57);
  EXPECT_EQ(FormatCpuText(nullptr, FakeIntel), 0);
  char real[kCpuTextCapacity];
  EXPECT_GT(GetCpuText(real), 57);
}

TEST(MachineText, BarsAroundEachComponentAndCutsAtTheCapacity) {
  struct Case {
    const char* board;
    int capacity;
    std::string expected;
    int length;
  };
  const Case cases[] = {
      {"B1", 64, "|cpu|B1|disk|", 13},
      {"", 64, "|cpu||disk|", 11},
      {"B1", 4, "|cpu", 4},       // room for the processor only
      {"B1", 3, "", 0},           // not even that
      {"B1", 12, "|cpu|B1", 7},   // no room for the disk and the closing bars
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.capacity);
    std::string buffer(static_cast<size_t>(c.capacity), '#');
    int length = BuildMachineText(&buffer[0], c.capacity, "cpu", c.board, "disk");
    EXPECT_EQ(length, c.length);
    EXPECT_EQ(buffer.substr(0, c.expected.size()), c.expected);
  }
}

TEST(MachineText, ExtractsTheSerialNumberFromAListing) {
  struct Case {
    std::string listing;
    std::string expected;
  };
  const Case cases[] = {
      {"SerialNumber  \r\r\nPF1ABCDE  \r\r\n\r\r\n", "PF1ABCDE"},
      {"SerialNumber\r\nTo be filled by O.E.M.\r\n", "To be filled by O.E.M."},
      {"SerialNumber  \r\n\r\n", ""},
      {"nothing useful", ""},
      {"SerialNumber\n" + std::string(600, 'S'), std::string(255, 'S')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.listing.substr(0, 20));
    char out[kSerialCapacity];
    int length = ExtractSerialNumber(c.listing.data(), c.listing.size(), out);
    EXPECT_EQ(std::string(out), c.expected);
    EXPECT_EQ(length, static_cast<int>(c.expected.size()));
  }
  uint8_t swapped[] = {'B', 'A', 'D', 'C', 'E'};
  SwapBytePairs(swapped, 4);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(swapped), 5), "ABCDE");
}

TEST(DeviceId, DigestOfTheRawTextAndTheExtraWithItsBar) {
  struct Case {
    const char* board;
    const char* extra;  // null: none
    std::u16string expected;
  };
  const Case cases[] = {
      {"B1", nullptr, u"E2CD67ADA8488F4906DCEB775DA202E7"},
      {"B1", "Quellin", u"3C76264AA9A3967316E6ED0F226D1F13"},
      {"", "", u"5729F1DF585D415952F995A07E0695D6"},  // "|cpu||disk|" and a lone bar
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.extra == nullptr ? "no extra" : c.extra);
    char text[kMachineTextCapacity];
    int length = BuildMachineText(text, kMachineTextCapacity, "cpu", c.board, "disk");
    char16_t id[kDeviceIdUnits + 1];
    std::fill(id, id + kDeviceIdUnits + 1, u'#');
    ASSERT_TRUE(DeviceIdOfMachineText(id, text, length, c.extra));
    EXPECT_EQ(std::u16string(id), c.expected);
    EXPECT_EQ(id[kDeviceIdUnits], u'#');  // nothing past the terminator
  }
  char16_t id[kDeviceIdUnits] = {u'X'};
  EXPECT_FALSE(DeviceIdOfMachineText(id, "|", 0, "extra"));
  EXPECT_EQ(id[0], 0);
  EXPECT_FALSE(DeviceIdOfMachineText(nullptr, "|cpu|", 5, nullptr));
}

}  // namespace
