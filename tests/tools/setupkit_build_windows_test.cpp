#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "records/client_info.h"
#include "support/module_library.h"
#include "support/resource_reader.h"
#include "support/xdata.h"
#include "tests/helpers/byte_pattern.h"
#include "tests/helpers/setupkit_run.h"
#include "tests/helpers/temp_folder.h"
#include "tests/helpers/windows_test_support.h"
#include "tests/helpers/zip_builder.h"

namespace {

namespace fs = std::filesystem;

const char kVendorText[] =
    "app=democlient;\nname=\xE7\xA4\xBA\xE4\xBE\x8B;\ncompany=Example;\nversion=1.2.0.0;\n"
    "style=#00000024;\nsource=http://127.0.0.1/app;\n";

// A generated client, a skin and a theme, packed into installers made from the real setup.exe.
class SetupkitBuildTest : public ::testing::Test {
 protected:
  void SetUp() override {
    client_ = {{"client.exe", ReadBytes(TestProgramFolder() / "sleeper.exe")},
               {"readme.txt", "read me"},
               {"lib/core.dat", BytePattern(1 << 20)},
               {"lib/res/\xE5\x9B\xBE.txt", "picture"}};
    for (const auto& [name, bytes] : client_) {
      fs::path path = folder_.Path() / "client" / fs::u8path(name);
      fs::create_directories(path.parent_path());
      WriteBytes(path, bytes);
    }
    fs::create_directories(folder_.Path() / "skin");
    WriteBytes(folder_.Path() / "skin" / "bg.png", "\x89PNG background");
    WriteBytes(folder_.Path() / "theme.txt", "\"title\"=\"#FFFFFF\"\r\n");
    WriteBytes(folder_.Path() / "config.txt", kVendorText);
  }

  ToolRun Build(std::vector<std::u16string> extra) {
    std::vector<std::u16string> args = {u"build",
                                        u"--config",
                                        folder_.File(u"config.txt"),
                                        u"--client",
                                        folder_.File(u"client"),
                                        u"--skin",
                                        folder_.File(u"skin"),
                                        u"--theme",
                                        folder_.File(u"theme.txt"),
                                        u"-o",
                                        Setup()};
    args.insert(args.end(), extra.begin(), extra.end());
    return RunSetupkitCaptured(args);
  }
  std::u16string Setup() const { return folder_.File(u"my setup.exe"); }

  TempFolder folder_;
  std::map<std::string, std::string> client_;
};

TEST_F(SetupkitBuildTest, InstallerCarriesConfigurationAndPayloadInEitherMode) {
  for (bool download : {false, true}) {
    SCOPED_TRACE(download ? "download" : "archive");
    ToolRun build = Build(download ? std::vector<std::u16string>{u"--download"}
                                   : std::vector<std::u16string>{});
    ASSERT_EQ(build.status, 0) << build.err;
    EXPECT_EQ(build.err, "");

    CClientInfo config;
    ASSERT_TRUE(config.LoadFromModuleFile(Setup().c_str(), u"APP", 1));
    EXPECT_EQ(std::u16string(config.GetName().Units()), u"\u793a\u4f8b");
    EXPECT_EQ(config.GetStyle(), 0x24u);

    XData tail;
    ASSERT_TRUE(LoadPackedResourceFromFile(tail, Setup().c_str(), u"TAIL", 1));
    std::map<std::string, std::string> payload = ReadArchiveFiles(
        std::string(reinterpret_cast<const char*>(tail.Data()), tail.Length()));
    EXPECT_EQ(payload["bg.png"], "\x89PNG background");
    EXPECT_EQ(payload["theme.txt"], "\"title\"=\"#FFFFFF\"\r\n");
    EXPECT_EQ(payload.count("update.xml"), 1u);
    EXPECT_EQ(payload.size(), download ? 3u : 4u);
    if (!download) {
      const std::string& app = payload["app.zip"];
      EXPECT_EQ(ReadArchiveFiles(app), client_);
    }

    ToolRun inspect = RunSetupkitCaptured({u"inspect", Setup()});
    ASSERT_EQ(inspect.status, 0) << inspect.err;
    EXPECT_NE(inspect.out.find("name=\xE7\xA4\xBA\xE4\xBE\x8B;\r\n"), std::string::npos);
    EXPECT_NE(inspect.out.find("source=http://127.0.0.1/app;"), std::string::npos);
    EXPECT_NE(inspect.out.find("\n  bg.png " + std::to_string(payload["bg.png"].size()) + "\n"),
              std::string::npos)
        << inspect.out;
    EXPECT_NE(inspect.out.find("\n  update.xml " + std::to_string(payload["update.xml"].size()) +
                               "\n"),
              std::string::npos);
    EXPECT_EQ(inspect.out.find("  app.zip ") != std::string::npos, !download);
    EXPECT_NE(inspect.out.find(download ? "mode: download\n" : "mode: archive\n"),
              std::string::npos);
  }
}

// One bit flipped in either resource of a built installer makes it one inspect refuses.
TEST_F(SetupkitBuildTest, InspectRefusesAnInstallerWithADamagedResource) {
  ASSERT_EQ(Build({}).status, 0);
  struct Case {
    const char16_t* type;
    std::string message;
  };
  const Case cases[] = {{u"APP", "carries no readable \"app\" resource"},
                        {u"TAIL", "carries no readable \"tail\" resource"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    std::string stored;
    {
      ModuleLibrary library(Setup().c_str());
      stored.resize(ReadResource(nullptr, 0, library.Handle(), c.type, 1));
      ASSERT_EQ(ReadResource(stored.data(), static_cast<uint32_t>(stored.size()),
                             library.Handle(), c.type, 1),
                stored.size());
    }
    std::string damaged = stored;
    damaged[damaged.size() / 2] = static_cast<char>(damaged[damaged.size() / 2] ^ 0x10);
    ASSERT_TRUE(PutResource(Setup(), c.type, 1, damaged));
    ToolRun inspect = RunSetupkitCaptured({u"inspect", Setup()});
    EXPECT_EQ(inspect.status, 1);
    EXPECT_NE(inspect.err.find(c.message), std::string::npos) << inspect.err;
    EXPECT_EQ(inspect.err.find('\n'), inspect.err.size() - 1) << inspect.err;
    ASSERT_TRUE(PutResource(Setup(), c.type, 1, stored));
    EXPECT_EQ(RunSetupkitCaptured({u"inspect", Setup()}).status, 0);
  }
}

TEST_F(SetupkitBuildTest, RefusesWithOneLineAndLeavesNoInstaller) {
  fs::create_directories(folder_.Path() / "other");
  WriteBytes(folder_.Path() / "other" / "readme.txt", "no client here");
  struct Case {
    const char* name;
    const char16_t* option;
    std::u16string value;
    std::string message;
  };
  const Case cases[] = {
      {"missing client folder", u"--client", folder_.File(u"gone"), "the client folder "},
      {"unreadable configuration", u"--config", folder_.File(u"gone.txt"),
       "unreadable configuration: "},
      {"client file missing", u"--client", folder_.File(u"other"), "the client folder "},
      {"missing stub", u"--stub", folder_.File(u"gone.exe"), "cannot copy the installer stub "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // A later option replaces an earlier one of the same name.
    ToolRun run = Build({c.option, c.value});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("setupkit: " + c.message, 0), 0u) << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(fs::exists(fs::path(Setup())));
  }
  EXPECT_EQ(RunSetupkitCaptured({u"build", u"--client"}).status, 1);
}

}  // namespace
