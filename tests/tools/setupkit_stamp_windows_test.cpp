#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "records/client_info.h"
#include "support/core/wide_text.h"
#include "support/pe/module_library.h"
#include "support/pe/resource_reader.h"
#include "tests/helpers/setupkit_run.h"
#include "tests/helpers/temp_folder.h"
#include "tests/helpers/windows_test_support.h"

namespace {

const char kVendorText[] =
    "app=democlient;\nname=\xE7\xA4\xBA\xE4\xBE\x8B;\ncompany=Example;\nversion=1.2.0.0;\n"
    "style=#00000020;\nhomepage=http://www.example.com/;\n";

// A copy of setup.exe, the executable the tool stamps for real.
class SetupkitStampTest : public ::testing::Test {
 protected:
  void SetUp() override {
    exe_ = folder_.File(u"setup.exe");
    std::filesystem::copy_file(TestProgramFolder() / "setup.exe", exe_);
    WriteBytes(folder_.Path() / "config.txt", kVendorText);
  }

  std::string ResourceBytes(const char16_t* type, int id) {
    ModuleLibrary library(exe_.c_str());
    std::string bytes(ReadResource(nullptr, 0, library.Handle(), type, id), '\0');
    ReadResource(bytes.data(), static_cast<uint32_t>(bytes.size()), library.Handle(), type, id);
    return bytes;
  }

  TempFolder folder_;
  std::u16string exe_;
};

TEST_F(SetupkitStampTest, StampedRecordRoundTripsThroughARealExecutable) {
  std::string manifest = ResourceBytes(AsUtf16(RT_MANIFEST), 1);
  ASSERT_FALSE(manifest.empty());
  for (bool packed : {true, false}) {
    SCOPED_TRACE(packed);
    std::u16string record = folder_.File(packed ? u"packed.rec" : u"plain.rec");
    std::vector<std::u16string> config = {u"config", folder_.File(u"config.txt"), record};
    if (packed) config.push_back(u"--packed");
    ASSERT_EQ(RunSetupkitCaptured(config).status, 0);

    ToolRun stamp = RunSetupkitCaptured({u"stamp", exe_, record});
    ASSERT_EQ(stamp.status, 0) << stamp.err;
    // The record goes in as it is, in its own stored form, in Simplified Chinese.
    EXPECT_EQ(ResourceBytes(u"app", 1), ReadBytes(std::filesystem::path(record)));
    {
      ModuleLibrary library(exe_.c_str());
      EXPECT_NE(FindResourceExW(static_cast<HMODULE>(library.Handle()), L"APP", MAKEINTRESOURCEW(1),
                                MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED)),
                nullptr);
    }
    EXPECT_EQ(ResourceBytes(AsUtf16(RT_MANIFEST), 1), manifest);

    ToolRun fromExe = RunSetupkitCaptured({u"show", exe_});
    ToolRun fromRecord = RunSetupkitCaptured({u"show", record});
    ASSERT_EQ(fromExe.status, 0) << fromExe.err;
    EXPECT_EQ(fromExe.out, fromRecord.out);
    EXPECT_EQ(fromExe.out.substr(0, 17), "app=democlient;\r\n");

    CClientInfo loaded;
    ASSERT_TRUE(loaded.LoadFromModuleFile(exe_.c_str(), u"app", 1));
    EXPECT_EQ(loaded.GetStyle(), 0x20u);
  }
}

TEST_F(SetupkitStampTest, RefusesBadRecordsAndTargetsLeavingThemAsTheyWere) {
  ASSERT_EQ(RunSetupkitCaptured({u"config", folder_.File(u"config.txt"), folder_.File(u"good.rec"),
                         u"--packed"})
                .status,
            0);
  std::string good = ReadBytes(folder_.Path() / "good.rec");
  WriteBytes(folder_.Path() / "damaged.rec", good.substr(0, good.size() - 8));
  WriteBytes(folder_.Path() / "notes.txt", "not an executable");
  std::string before = ReadBytes(std::filesystem::path(exe_));

  struct Case {
    const char* name;
    std::u16string exe;
    std::u16string record;
  };
  const Case cases[] = {
      {"damaged record", exe_, folder_.File(u"damaged.rec")},
      {"vendor text instead of a record", exe_, folder_.File(u"config.txt")},
      {"missing record", exe_, folder_.File(u"missing.rec")},
      {"not an executable", folder_.File(u"notes.txt"), folder_.File(u"good.rec")},
      {"missing executable", folder_.File(u"missing.exe"), folder_.File(u"good.rec")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ToolRun run = RunSetupkitCaptured({u"stamp", c.exe, c.record});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  }
  EXPECT_EQ(ReadBytes(std::filesystem::path(exe_)), before);
  EXPECT_EQ(ReadBytes(folder_.Path() / "notes.txt"), "not an executable");
  EXPECT_FALSE(std::filesystem::exists(folder_.Path() / "missing.exe"));

  // An unstamped executable has nothing to show.
  ToolRun show = RunSetupkitCaptured({u"show", exe_});
  EXPECT_EQ(show.status, 1);
  EXPECT_NE(show.err.find("carries no readable \"app\" resource"), std::string::npos);
}

}  // namespace
