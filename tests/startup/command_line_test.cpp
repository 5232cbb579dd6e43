#include "startup/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "startup/product_lock.h"
#include "startup/switch_texts.h"
#include "support/text/utf8.h"

namespace {

std::string Shown(const std::vector<std::u16string>& arguments) {
  std::string shown;
  for (const std::u16string& argument : arguments)
    shown += "[" + Utf16ToUtf8(argument.c_str()) + "]";
  return shown;
}

TEST(CommandLine, SplitsAsWindowsProgramsSplitTheirs) {
  struct Case {
    const char16_t* commandLine;
    std::vector<std::u16string> arguments;
  };
  const Case cases[] = {
      {u"setup.exe silent", {u"setup.exe", u"silent"}},
      {u"\"C:\\Program Files\\Demo\\setup.exe\" silent",
       {u"C:\\Program Files\\Demo\\setup.exe", u"silent"}},
      {u"\"C:\\silent\\setup.exe\"", {u"C:\\silent\\setup.exe"}},
      {u"setup.exe   /SILENT \t more  ", {u"setup.exe", u"/SILENT", u"more"}},
      {u"setup.exe \"silent more\"", {u"setup.exe", u"silent more"}},
      {u"setup.exe /DIR=\"C:\\a b\" /LOG=x", {u"setup.exe", u"/DIR=C:\\a b", u"/LOG=x"}},
      {u"setup.exe \"/DIR=C:\\a b\"", {u"setup.exe", u"/DIR=C:\\a b"}},
      {u"setup.exe /DIR=C:\\x\\", {u"setup.exe", u"/DIR=C:\\x\\"}},
      // Backslashes before a quote: 2n are n and the quote groups, 2n+1 are n and a quote.
      {u"setup.exe a\\\\\"b c\" d", {u"setup.exe", u"a\\b c", u"d"}},
      {u"setup.exe a\\\"b", {u"setup.exe", u"a\"b"}},
      {u"setup.exe \"a \"\"b\"\" c\"", {u"setup.exe", u"a \"b\" c"}},
      {u"setup.exe \"\"", {u"setup.exe", u""}},
      {u"\"C:\\a b\\setup.exe", {u"C:\\a b\\setup.exe"}},
      {u"setup.exe", {u"setup.exe"}},
      {u"", {u""}},
      {nullptr, {u""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.commandLine != nullptr ? Utf16ToUtf8(c.commandLine) : "null");
    EXPECT_EQ(Shown(SplitCommandLine(c.commandLine)), Shown(c.arguments));
  }
}

TEST(CommandLine, ReadsTheSwitchesEachProgramTakes) {
  struct Case {
    std::vector<std::u16string> arguments;  // after the program's name
    unsigned accepted;
    unsigned given;
    std::u16string folder;
    std::u16string log;
    std::u16string refused;
  };
  const Case cases[] = {
      {{}, kSetupSwitches, 0, u"", u"", u""},
      // The word the programs took before the switches, in any case, means /SILENT.
      {{u"silent"}, kSetupSwitches, kSwitchSilent, u"", u"", u""},
      {{u"SILENT"}, kUninstallSwitches, kSwitchSilent, u"", u"", u""},
      {{u"/Silent"}, kSetupSwitches, kSwitchSilent, u"", u"", u""},
      {{u"/verysilent", u"/norestart"},
       kUpdateSwitches,
       kSwitchVerySilent | kSwitchNoRestart,
       u"",
       u"",
       u""},
      {{u"/LOG=C:\\logs\\x.log", u"/VERYSILENT", u"/dir=C:\\Apps\\X"},
       kSetupSwitches,
       kSwitchLog | kSwitchVerySilent | kSwitchFolder,
       u"C:\\Apps\\X",
       u"C:\\logs\\x.log",
       u""},
      {{u"/DIR=C:\\a b"}, kSetupSwitches, kSwitchFolder, u"C:\\a b", u"", u""},
      {{u"/DIR=C:\\x"}, kSetupSwitches, kSwitchFolder, u"C:\\x", u"", u""},
      {{u"/NOICONS", u"/NoCancel"},
       kSetupSwitches,
       kSwitchNoIcons | kSwitchNoCancel,
       u"",
       u"",
       u""},
      {{u"/?"}, kSetupSwitches, kSwitchHelp, u"", u"", u""},
      {{u"/help"}, kUninstallSwitches, kSwitchHelp, u"", u"", u""},
      // A switch twice is meant once; a value twice could mean either.
      {{u"/SILENT", u"silent"}, kSetupSwitches, kSwitchSilent, u"", u"", u""},
      {{u"/DIR=C:\\a", u"/DIR=C:\\b"}, kSetupSwitches, kSwitchFolder, u"C:\\a", u"", u"/DIR=C:\\b"},
      // Refused: the first is named, and the switches around it still count.
      {{u"/QUIET", u"/VERYSILENT", u"/X"}, kSetupSwitches, kSwitchVerySilent, u"", u"", u"/QUIET"},
      {{u"/SILENT", u"-silent"}, kSetupSwitches, kSwitchSilent, u"", u"", u"-silent"},
      {{u"silent "}, kSetupSwitches, 0, u"", u"", u"silent "},
      {{u""}, kSetupSwitches, 0, u"", u"", u""},
      {{u"/DIR"}, kSetupSwitches, 0, u"", u"", u"/DIR"},
      {{u"/DIR="}, kSetupSwitches, 0, u"", u"", u"/DIR="},
      {{u"/SILENT=1"}, kSetupSwitches, 0, u"", u"", u"/SILENT=1"},
      {{u"/DIRX=C:\\a"}, kSetupSwitches, 0, u"", u"", u"/DIRX=C:\\a"},
      // What only an install means something with is no switch of the others.
      {{u"/DIR=C:\\a"}, kUninstallSwitches, 0, u"", u"", u"/DIR=C:\\a"},
      {{u"/NOICONS"}, kUpdateSwitches, 0, u"", u"", u"/NOICONS"},
      {{u"/NOCANCEL"}, kUninstallSwitches, 0, u"", u"", u"/NOCANCEL"},
      {{u"/lang=de-AT"}, kUpdateSwitches, kSwitchLanguage, u"", u"", u""},
      {{u"/LANG="}, kSetupSwitches, 0, u"", u"", u"/LANG="},
      {{u"/LANG=de", u"/LANG=en"}, kUninstallSwitches, kSwitchLanguage, u"", u"", u"/LANG=en"},
  };
  for (const Case& c : cases) {
    std::vector<std::u16string> arguments = {u"setup.exe"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    SCOPED_TRACE(Shown(arguments));
    const RunSwitches switches = ReadSwitches(arguments, c.accepted);
    EXPECT_EQ(switches.given, c.given);
    EXPECT_EQ(Utf16ToUtf8(switches.folder.c_str()), Utf16ToUtf8(c.folder.c_str()));
    EXPECT_EQ(Utf16ToUtf8(switches.log.c_str()), Utf16ToUtf8(c.log.c_str()));
    EXPECT_EQ(Utf16ToUtf8(switches.refused.c_str()), Utf16ToUtf8(c.refused.c_str()));
    EXPECT_EQ(switches.language.empty(), (c.given & kSwitchLanguage) == 0);
    EXPECT_EQ(switches.Unattended(), (c.given & (kSwitchSilent | kSwitchVerySilent)) != 0);
  }
}

// The help names each switch a program takes and no other; a refusal names what it refused.
TEST(CommandLine, TellsTheSwitchesAProgramTakes) {
  const std::u16string setup = SwitchHelpText(kSetupSwitches);
  const std::u16string uninstall = SwitchHelpText(kUninstallSwitches);
  for (const char16_t* name :
       {u"/SILENT", u"/VERYSILENT", u"/LOG=", u"/NORESTART", u"/HELP", u"/LANG="}) {
    SCOPED_TRACE(Utf16ToUtf8(name));
    EXPECT_NE(setup.find(name), std::u16string::npos);
    EXPECT_NE(uninstall.find(name), std::u16string::npos);
  }
  for (const char16_t* name : {u"/DIR=", u"/NOICONS", u"/NOCANCEL"}) {
    SCOPED_TRACE(Utf16ToUtf8(name));
    EXPECT_NE(setup.find(name), std::u16string::npos);
    EXPECT_EQ(uninstall.find(name), std::u16string::npos);
  }
  EXPECT_NE(RefusedSwitchText(u"/QUIET", kSetupSwitches).find(u"/QUIET"), std::u16string::npos);
}

// One product's programs share one lock; another product's is another.
TEST(CommandLine, NamesOneLockAProduct) {
  EXPECT_EQ(Utf16ToUtf8(ProductLockName(u"Company", u"App").c_str()), "Global\\Company/App/run");
  EXPECT_NE(ProductLockName(u"Company", u"App"), ProductLockName(u"Company", u"Other"));
}

}  // namespace
