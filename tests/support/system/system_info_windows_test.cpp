#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "support/system/machine_identity.h"
#include "support/system/machine_text.h"
#include "support/system/os_version.h"

namespace {

TEST(SystemInfo, NamesTheRunningWindows) {
  OSVERSIONINFOEXW info;
  ASSERT_TRUE(GetOsVersion(&info));
  EXPECT_GE(info.dwMajorVersion, 5u);
  EXPECT_NE(GetOsVersionCode(), 0u);
  ASSERT_NE(GetSystemName(), nullptr);
  EXPECT_EQ(std::u16string(GetSystemName()).rfind(u"Windows", 0), 0u);
  EXPECT_FALSE(GetOsVersion(nullptr));
}

TEST(SystemInfo, MachineTextHasEveryComponentInItsPlace) {
  // The board listing must come back (or give up) however wmic behaves; SMART needs a real disk,
  // so the disk serial is normally empty here and the text still has its four bars.
  char board[kSerialCapacity];
  int boardLength = GetBoardSerial(board);
  EXPECT_EQ(boardLength, static_cast<int>(strlen(board)));
  char disk[kSerialCapacity];
  int diskLength = GetDiskSerial(disk, 0);
  EXPECT_EQ(diskLength, static_cast<int>(strlen(disk)));
  EXPECT_EQ(GetDiskSerial(disk, -1), 0);

  char text[1024];
  int length = GetMachineText(text, sizeof text);
  ASSERT_GT(length, 0);
  std::string machine(text, static_cast<size_t>(length));
  EXPECT_EQ(machine.front(), '|');
  EXPECT_EQ(machine.back(), '|');
  EXPECT_EQ(std::count(machine.begin(), machine.end(), '|'), 4);
}

TEST(SystemInfo, DeviceIdIsTheDigestOfThisMachinesText) {
  // Stable across calls (the board listing and the processor do not change), and the digest of
  // the raw text with the extra and its bar.
  char text[kMachineTextCapacity];
  int length = GetMachineText(text, kMachineTextCapacity);
  char16_t expected[kDeviceIdUnits];
  ASSERT_TRUE(DeviceIdOfMachineText(expected, text, length, "Quellin"));
  char16_t id[kDeviceIdUnits];
  ASSERT_TRUE(GetDeviceId(id, "Quellin"));
  EXPECT_EQ(std::u16string(id), std::u16string(expected));
  char16_t plain[kDeviceIdUnits];
  ASSERT_TRUE(GetDeviceId(plain, nullptr));
  EXPECT_EQ(std::u16string(plain).size(), 32u);
  EXPECT_NE(std::u16string(plain), std::u16string(id));
  EXPECT_FALSE(GetDeviceId(nullptr, nullptr));
}

}  // namespace
