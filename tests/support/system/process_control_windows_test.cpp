#include "support/system/process_control.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/helpers/started_process.h"
#include "tests/helpers/temp_folder.h"
#include "tests/helpers/windows_test_support.h"

namespace {

TEST(ProcessControl, FindsProcessesByNameIgnoringAsciiCase) {
  TempFolder folder;
  StartedProcess safe(folder.Path(), u"360safe.EXE");
  StartedProcess shortName(folder.Path(), u"sd.exe");
  ASSERT_NE(safe.Id(), 0u);
  ASSERT_NE(shortName.Id(), 0u);

  struct Case {
    std::u16string names;
    uint32_t expected;
  };
  const Case cases[] = {
      {u"360tray.exe|360Safe.exe", safe.Id()},
      {u"360rp.exe|360rps.exe|360sd.exe", shortName.Id()},  // sd.exe is part of 360sd.exe
      {safe.Path(), safe.Id()},                             // a full path holds the name
      {u"no-such-program.exe", 0},
      {u"", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.names.begin(), c.names.end()));
    EXPECT_EQ(FindProcess(c.names.c_str()), c.expected);
  }
  EXPECT_EQ(FindProcess(nullptr), 0u);
  // A list longer than the search buffer is cut, never written past.
  std::u16string longList(5000, u'x');
  EXPECT_EQ(FindProcess((longList + u"|360safe.exe").c_str()), 0u);
}

TEST(ProcessControl, FindsTheProcessRunningFromAFile) {
  TempFolder folder;
  std::filesystem::create_directories(folder.Path() / "a");
  std::filesystem::create_directories(folder.Path() / "b");
  StartedProcess first(folder.Path() / "a", u"client.exe");
  StartedProcess second(folder.Path() / "b", u"client.exe");
  ASSERT_NE(first.Id(), 0u);
  ASSERT_NE(second.Id(), 0u);

  EXPECT_EQ(FindProcessRunningFrom(first.Path().c_str()), first.Id());
  EXPECT_EQ(FindProcessRunningFrom(second.Path().c_str()), second.Id());
  std::u16string upper = second.Path();
  for (char16_t& unit : upper) unit = unit >= u'a' && unit <= u'z' ? unit - 32 : unit;
  EXPECT_EQ(FindProcessRunningFrom(upper.c_str()), second.Id());
  EXPECT_EQ(FindProcessRunningFrom(folder.File(u"client.exe").c_str()), 0u);
  EXPECT_EQ(FindProcessRunningFrom(nullptr), 0u);
}

TEST(ProcessControl, EndsProcessesWithAndWithoutWaiting) {
  TempFolder folder;
  StartedProcess waited(folder.Path(), u"waited.exe");
  StartedProcess notWaited(folder.Path(), u"notwaited.exe");
  ASSERT_TRUE(IsProcessRunning(waited.Id()));
  ASSERT_TRUE(IsProcessRunning(notWaited.Id()));

  EXPECT_TRUE(KillProcess(waited.Id(), 5000));
  EXPECT_FALSE(IsProcessRunning(waited.Id()));

  EXPECT_TRUE(KillProcess(notWaited.Id(), 0));
  EXPECT_TRUE(notWaited.WaitForExit(5000));
  EXPECT_FALSE(IsProcessRunning(notWaited.Id()));

  EXPECT_FALSE(IsProcessRunning(0xFFFFFFF0u));
  EXPECT_FALSE(KillProcess(0xFFFFFFF0u, 0));
}

TEST(ProcessControl, RunsProgramsAndFindsTheModuleFolder) {
  TempFolder folder;
  StartedProcess quick(folder.Path(), u"quick.exe", u"0");
  EXPECT_TRUE(quick.WaitForExit(10000));
  EXPECT_FALSE(RunProgram(nullptr, nullptr, false, nullptr));
  EXPECT_FALSE(RunProgram(folder.File(u"missing.exe").c_str(), nullptr, false, nullptr));

  char16_t buffer[260];
  ASSERT_TRUE(GetModuleFolder(buffer, nullptr));
  std::u16string folderText(buffer);
  EXPECT_EQ(folderText.back(), u'\\');
  EXPECT_EQ(std::filesystem::path(folderText + u"sleeper.exe"),
            TestProgramFolder() / "sleeper.exe");
  EXPECT_FALSE(GetModuleFolder(nullptr, nullptr));
}

}  // namespace
