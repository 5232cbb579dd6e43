// A vendor's language end to end: a package built with a language file made from setupkit texts,
// and installed, whose installer, uninstaller and updater speak it when asked with /LANG=, and
// otherwise the user's UI language, which they take from the test run's locale (English in
// scripts/run-tests.sh's main run, Chinese in its zh_CN run).
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "records/current_language.h"
#include "startup/run_language.h"
#include "support/text/utf8.h"
#include "tests/helpers/registry_probe.h"
#include "tests/helpers/setupkit_run.h"
#include "tests/helpers/shipped_product.h"
#include "tests/helpers/temp_folder.h"
#include "tests/helpers/windows_test_support.h"

namespace {

namespace fs = std::filesystem;

constexpr char kGermanTitle[] = "Befehlszeilenschalter (ohne Unterschied der Schreibung):";

// The product of this test alone, with plain file names: the zh_CN run cannot create others, as
// the host has no such locale for Wine to name files in.
class LanguageEndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(temp_.Path() / "client");
    WriteBytes(temp_.Path() / "client" / "client.exe",
               ReadBytes(TestProgramFolder() / "sleeper.exe"));
    WriteBytes(temp_.Path() / "config.txt", "app=" + Utf16ToUtf8(UniqueName(u"lang").c_str()) +
                                                ";\nname=Languages;\ncompany=ProgramsTestCompany;"
                                                "\nversion=1.0.0.0;\n");
    ToolRun texts = RunSetupkitCaptured({u"texts", u"en"});
    ASSERT_EQ(texts.status, 0) << texts.err;
    std::string german = texts.out;
    german.replace(german.find("language=en\n"), 12, "language=de\n");
    const size_t title = german.find("switches.title=");
    german.replace(title, german.find('\n', title) - title,
                   std::string("switches.title=") + kGermanTitle);
    WriteBytes(temp_.Path() / "de.txt", german);
    ToolRun build = RunSetupkitCaptured({u"build", u"--config", temp_.File(u"config.txt"),
                                         u"--client", temp_.File(u"client"), u"--language",
                                         temp_.File(u"de.txt"), u"-o", Setup()});
    ASSERT_EQ(build.status, 0) << build.err;
  }
  // The install's uninstaller takes back what the install registered.
  void TearDown() override {
    if (fs::exists(Folder() / "unins000.exe")) {
      EXPECT_EQ(RunAndWait((Folder() / "unins000.exe").u16string(), u"/VERYSILENT"), 0u);
    }
  }

  std::u16string Setup() const { return temp_.File(u"setup.exe"); }
  fs::path Folder() const { return temp_.Path() / "installed"; }

  // A program's run with /VERYSILENT /? and its arguments, and what it said.
  struct Case {
    const char* name;
    std::u16string program;
    std::u16string arguments;
    std::string code;   // the language its log says it speaks
    std::string title;  // the first line of the switches it listed
  };
  // Each case's program lists its switches in its language, and its log says which it speaks.
  void ExpectSpoken(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
      SCOPED_TRACE(c.name);
      const std::u16string log =
          temp_.File(u"help-" + Utf8ToUtf16(std::to_string(++runs_)) + u".log");
      EXPECT_EQ(RunAndWait(c.program, u"/VERYSILENT /? " + c.arguments + u" /LOG=\"" + log + u"\""),
                0u);
      const std::string said = ReadBytes(fs::path(log));
      EXPECT_NE(said.find("speaks " + c.code + ": "), std::string::npos) << said;
      EXPECT_NE(said.find("asked: " + c.title), std::string::npos) << said;
    }
  }

  // What a program speaks unasked: the test run's UI language, which this process speaks too.
  const std::string userCode_ = CurrentLanguage().code;
  const std::string userTitle_ = Utf16ToUtf8(Text(TextKey::kSwitchesTitle).c_str());
  TempFolder temp_;
  int runs_ = 0;
};

TEST_F(LanguageEndToEndTest, AnInstallsProgramsSpeakTheVendorsLanguageWhenAsked) {
  ASSERT_EQ(RunAndWait((TestProgramFolder() / "install_headless.exe").u16string(),
                       u"\"" + Setup() + u"\" \"" + Folder().u16string() + u"\""),
            0u);
  const std::u16string uninstaller = (Folder() / "unins000.exe").u16string();
  const std::u16string updater = (Folder() / "update.exe").u16string();
  ExpectSpoken({
      {"setup.exe", Setup(), u"/LANG=de", "de", kGermanTitle},
      {"unins000.exe", uninstaller, u"/lang=DE", "de", kGermanTitle},
      {"update.exe, by the primary part", updater, u"/LANG=de-AT", "de", kGermanTitle},
      {"unins000.exe unasked", uninstaller, u"", userCode_, userTitle_},
      {"update.exe asked for a language it lacks", updater, u"/LANG=fr", userCode_, userTitle_},
  });
}

// Unasked, the programs speak the UI language: English in the main run, Chinese as before in the
// zh_CN run (which cannot install: Wine's Chinese folder names cannot be made on this host). The
// uninstaller and updater are stamped as a vendor publishing them stamps them.
TEST_F(LanguageEndToEndTest, StampedProgramsSpeakTheUsersLanguageUnasked) {
  ASSERT_EQ(userCode_, ChooseRunLanguage("", u"", UserUiLocale(), "").language.code);
  ASSERT_EQ(
      RunSetupkitCaptured({u"config", temp_.File(u"config.txt"), temp_.File(u"r.rec"), u"--packed"})
          .status,
      0);
  std::vector<std::u16string> programs;
  for (const char16_t* name : {u"unins000.exe", u"update.exe"}) {
    programs.push_back(temp_.File(name));
    fs::copy_file(TestProgramFolder() / name, programs.back());
    ToolRun stamp = RunSetupkitCaptured(
        {u"stamp", programs.back(), temp_.File(u"r.rec"), u"--language", temp_.File(u"de.txt")});
    ASSERT_EQ(stamp.status, 0) << stamp.err;
  }
  ExpectSpoken({
      {"setup.exe", Setup(), u"", userCode_, userTitle_},
      {"unins000.exe", programs[0], u"", userCode_, userTitle_},
      {"update.exe", programs[1], u"", userCode_, userTitle_},
      {"update.exe asked", programs[1], u"/LANG=de", "de", kGermanTitle},
  });
}

}  // namespace
