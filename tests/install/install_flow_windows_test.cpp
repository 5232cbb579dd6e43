// The install flow through its Windows edge, where only Windows can show it: the real worker
// thread stopped by closing the window.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "records/client_info.h"
#include "support/process_control.h"
#include "tests/helpers/install_payload.h"
#include "tests/helpers/temp_folder.h"
#include "tests/helpers/windows_test_support.h"

namespace {

// The configuration the payload carries as "app.txt".
ZipEntrySpec ConfigEntry() {
  CClientInfo config;
  config.SetCompany(u"FlowTestCompany");
  config.SetApp(u"FlowTestApp");
  std::vector<uint8_t> bytes(CRecordStorage::kDefaultSaveBufferSize);
  const uint32_t size = config.Serialize(bytes.data(), static_cast<uint32_t>(bytes.size()), false);
  return {"app.txt", std::string(bytes.begin(), bytes.begin() + size)};
}

// Closing the window mid-install destroys the flow, which stops its worker after the entry at
// hand and waits for it: the process ends at once, no file appears afterwards, every file
// written is whole, and nothing is recorded.
TEST(InstallFlow, CancellingMidInstallStopsTheWorkerAndEndsTheProcessPromptly) {
  TempFolder temp;
  std::vector<ZipEntrySpec> entries;
  for (int i = 0; i < 3000; ++i) entries.push_back({"files/" + std::to_string(i) + ".txt", "x"});
  // An executable without a payload or record of its own, beside its payload.
  std::filesystem::copy_file(TestProgramFolder() / "resource_target.exe", temp.Path() / "setup.exe");
  WriteBytes(temp.Path() / "setup.zip", BuildPayload(entries, "app.zip", {ConfigEntry()}));
  const std::u16string exe = (TestProgramFolder() / "cancelled_install.exe").u16string();
  const std::u16string arguments =
      u"\"" + temp.File(u"setup.exe") + u"\" \"" + temp.File(u"target") + u"\"";

  void* process = nullptr;
  ASSERT_TRUE(RunProgram(exe.c_str(), arguments.c_str(), false, &process));
  ASSERT_NE(process, nullptr);
  const bool ended = WaitForSingleObject(static_cast<HANDLE>(process), 10000) == WAIT_OBJECT_0;
  DWORD exitCode = 0;
  GetExitCodeProcess(static_cast<HANDLE>(process), &exitCode);
  if (!ended) TerminateProcess(static_cast<HANDLE>(process), 9);
  CloseHandle(static_cast<HANDLE>(process));

  EXPECT_TRUE(ended);
  EXPECT_EQ(exitCode, 3u);
  size_t written = 0;
  for (const auto& file : std::filesystem::recursive_directory_iterator(temp.Path() / "target")) {
    if (!file.is_regular_file()) continue;
    ++written;
    EXPECT_EQ(ReadBytes(file.path()), "x") << file.path().string();
  }
  EXPECT_GT(written, 0u);
  EXPECT_LT(written, entries.size());
  EXPECT_FALSE(std::filesystem::exists(temp.Path() / "target" / "FlowTestCompany" /
                                       "FlowTestApp" / "uninst.dat"));
}

}  // namespace
