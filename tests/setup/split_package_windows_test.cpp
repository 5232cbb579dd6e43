// An installer whose client archive lies beside it in data files, made by setupkit build --split
// and run as a person would: it installs from them where they lie, under whatever name the
// installer has, and refuses a data file that is not the one it was packed with, naming it,
// leaving nothing installed.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "install/exit_codes.h"
#include "support/core/wide_text.h"
#include "support/text/utf8.h"
#include "tests/helpers/answered_program.h"
#include "tests/helpers/registry_probe.h"
#include "tests/helpers/shipped_product.h"
#include "tests/helpers/windows_test_support.h"

namespace {

namespace fs = std::filesystem;

// The folder a first install proposes: the programs folder of the Windows drive, then the
// company and the app.
fs::path ProposedFolder(const CClientInfo& record) {
  wchar_t windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  return fs::path(std::wstring(1, windows[0]) + L":\\Program Files") /
         AsWide(record.GetCompany().Units()) / AsWide(record.GetApp().Units());
}

std::string SetupLog(const CClientInfo& record) {
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  const fs::path log = fs::path(temp) / (std::u16string(record.GetApp().Units()) + u"_setup.log");
  return fs::exists(log) ? ReadBytes(log) : std::string();
}

enum class Damage { kNone, kOneByteChanged, kCutShort, kMissing };

TEST(SplitPackage, InstallsFromItsDataFilesAndRefusesOneNotAsPackedNamingIt) {
  ASSERT_TRUE(CanShowWindows()) << "needs a display (scripts/run-tests.sh provides one)";
  ShippedProduct product;
  product.WriteClientFile("client.exe", ReadBytes(TestProgramFolder() / "launch_probe.exe"));
  // Noise, which does not deflate: a client archive of several data files of 64 KB.
  std::string noise(200000, '\0');
  unsigned seed = 11;
  for (char& c : noise) c = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 16);
  product.WriteClientFile("data/noise.bin", noise);
  ToolRun built = product.Build({u"--split", u"64K"});
  ASSERT_EQ(built.status, 0) << built.err;
  const fs::path kit = product.Temp().Path();
  std::vector<std::string> parts;
  for (int i = 1; fs::exists(kit / ("setup-" + std::to_string(i) + ".bin")); ++i) {
    parts.push_back(ReadBytes(kit / ("setup-" + std::to_string(i) + ".bin")));
  }
  ASSERT_GE(parts.size(), 4u);
  // Found by the names the installer records, whatever it is called now.
  const fs::path installer = kit / "installer (2).exe";
  fs::rename(fs::path(product.Setup()), installer);
  const fs::path folder = ProposedFolder(product.Record());

  struct Case {
    const char* name;
    Damage damage;
    int part;  // from 1
    DWORD exitCode;
    bool toldAtStart;  // refused before anything began, in a message box naming the part
  };
  const Case cases[] = {
      {"one byte changed", Damage::kOneByteChanged, 2, kExitFilesFailed, false},
      {"cut short", Damage::kCutShort, 3, kExitNotStarted, true},
      {"missing", Damage::kMissing, 4, kExitNotStarted, true},
      {"as packed", Damage::kNone, 1, kExitInstalled, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string name = "setup-" + std::to_string(c.part) + ".bin";
    for (size_t i = 0; i < parts.size(); ++i) {
      WriteBytes(kit / ("setup-" + std::to_string(i + 1) + ".bin"), parts[i]);
    }
    std::string damaged = parts[c.part - 1];
    switch (c.damage) {
      case Damage::kNone:
        break;
      case Damage::kOneByteChanged:
        damaged[damaged.size() / 2] ^= 0x20;
        WriteBytes(kit / name, damaged);
        break;
      case Damage::kCutShort:
        WriteBytes(kit / name, damaged.substr(0, damaged.size() - 1));
        break;
      case Damage::kMissing:
        fs::remove(kit / name);
        break;
    }

    ProgramRun silent = RunAnswering(installer.u16string(), L" silent", {}, 60000);
    EXPECT_TRUE(silent.exited);
    EXPECT_EQ(silent.exitCode, c.exitCode);
    EXPECT_TRUE(silent.questions.empty()) << "a silent run asked";
    if (c.damage == Damage::kNone) {
      for (const auto& [file, bytes] : product.ClientFiles()) {
        EXPECT_TRUE(ReadBytes(folder / fs::u8path(file)) == bytes) << file;
      }
      EXPECT_TRUE(KeyExists(product.ProductKey()));
      continue;
    }
    EXPECT_NE(SetupLog(product.Record()).find(name), std::string::npos) << "the log names it";
    EXPECT_FALSE(fs::exists(folder)) << "nothing is left installed";
    EXPECT_FALSE(KeyExists(product.ProductKey()));
    EXPECT_FALSE(KeyExists(product.UninstallKey()));
    if (c.toldAtStart) {
      ProgramRun shown = RunAnswering(installer.u16string(), L"", {IDNO}, 60000);
      EXPECT_EQ(shown.exitCode, kExitNotStarted);
      ASSERT_EQ(shown.questions.size(), 1u);
      EXPECT_NE(shown.questions[0].text.find(Utf8ToUtf16(name)), std::u16string::npos)
          << Utf16ToUtf8(shown.questions[0].text.c_str());
    }
  }
  std::error_code ignored;
  fs::remove_all(folder.parent_path(), ignored);
}

}  // namespace
