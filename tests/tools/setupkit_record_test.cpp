#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "records/client_info.h"
#include "support/container/packed_container.h"
#include "support/text/utf8.h"
#include "tests/helpers/setupkit_run.h"
#include "tests/helpers/temp_folder.h"

namespace {

std::string Utf16Le(const std::u16string& text) {
  std::string bytes;
  for (char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

std::string Utf16Be(const std::u16string& text) {
  std::string bytes;
  for (char16_t unit : text) {
    bytes += static_cast<char>(unit >> 8);
    bytes += static_cast<char>(unit & 0xFF);
  }
  return bytes;
}

const std::string kVendorText =
    "app=democlient;\r\n"
    "name=\xE7\xA4\xBA\xE4\xBE\x8B;\r\n"
    "\r\n"
    "  company=Example;  \r\n"
    "version = 1.2;\n"
    "style=#24;\n"
    "homepage=http://www.example.com/;\n"
    "language=de-AT;\n";

// What show prints for kVendorText: every key in the writer's order, absent ones empty.
const std::string kShownText =
    "app=democlient;\r\n"
    "name=\xE7\xA4\xBA\xE4\xBE\x8B;\r\n"
    "company=Example;\r\n"
    "publisher=;\r\n"
    "version= 1.2;\r\n"
    "style=#00000024;\r\n"
    "detect=;\r\n"
    "action=;\r\n"
    "homepage=http://www.example.com/;\r\n"
    "notify=;\r\n"
    "protocol=;\r\n"
    "source=;\r\n"
    "config=;\r\n"
    "source2=;\r\n"
    "config2=;\r\n"
    "language=de-AT;\r\n";

class SetupkitRecordTest : public ::testing::Test {
 protected:
  std::u16string Input(const std::string& bytes) {
    WriteBytes(folder_.Path() / "in.txt", bytes);
    return folder_.File(u"in.txt");
  }

  TempFolder folder_;
};

TEST_F(SetupkitRecordTest, ConfigReadsEveryEncodingIntoTheSameRecord) {
  std::u16string utf16 = Utf8ToUtf16(kVendorText);
  struct Case {
    const char* name;
    std::string bytes;
  };
  const Case cases[] = {
      {"UTF-8", kVendorText},
      {"UTF-8 with its mark", "\xEF\xBB\xBF" + kVendorText},
      {"UTF-16LE with its mark", "\xFF\xFE" + Utf16Le(utf16)},
      {"UTF-16BE with its mark", "\xFE\xFF" + Utf16Be(utf16)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::u16string out = folder_.File(u"out.rec");
    ToolRun config = RunSetupkitCaptured({u"config", Input(c.bytes), out});
    ASSERT_EQ(config.status, 0) << config.err;
    EXPECT_EQ(config.err, "");
    ToolRun show = RunSetupkitCaptured({u"show", out});
    ASSERT_EQ(show.status, 0) << show.err;
    EXPECT_EQ(show.out, kShownText);
  }
}

TEST_F(SetupkitRecordTest, ConfigWritesThePlainOrThePackedForm) {
  std::u16string in = Input(kVendorText);
  ASSERT_EQ(RunSetupkitCaptured({u"config", in, folder_.File(u"plain.rec")}).status, 0);
  ASSERT_EQ(
      RunSetupkitCaptured({u"config", in, folder_.File(u"packed.rec"), u"--packed"}).status, 0);
  std::string plain = ReadBytes(folder_.Path() / "plain.rec");
  std::string packed = ReadBytes(folder_.Path() / "packed.rec");
  std::u16string text = Utf8ToUtf16(kShownText);
  EXPECT_EQ(plain, "\xFF\xFE" + Utf16Le(text));
  EXPECT_EQ(packed.substr(0, 4), "\xFF\xFD\xFD\xFF");
  EXPECT_EQ(packed.size(), 10 + 2 * (text.size() + 1));

  CClientInfo back;
  ASSERT_TRUE(back.LoadFromFile(folder_.File(u"packed.rec").c_str()));
  EXPECT_EQ(back.GetStyle(), 0x24u);
  EXPECT_EQ(RunSetupkitCaptured({u"show", folder_.File(u"packed.rec")}).out, kShownText);

  EXPECT_EQ(RunSetupkitCaptured({u"config", in, folder_.File(u"x.rec"), u"--plain"}).status, 2);
  EXPECT_EQ(RunSetupkitCaptured({u"config", in, u"--packed", folder_.File(u"x.rec")}).status, 2);
  EXPECT_FALSE(std::filesystem::exists(folder_.Path() / "x.rec"));
}

TEST_F(SetupkitRecordTest, ConfigReportsUnknownKeysOneLineEachAndIgnoresThem) {
  ToolRun run = RunSetupkitCaptured(
      {u"config", Input("colour=red;\napp=demo;\nnam=typo;\ncompany=Example;\n"), folder_.File(u"out.rec")});
  ASSERT_EQ(run.status, 0);
  EXPECT_NE(run.err.find("in.txt:1: unknown key \"colour\" ignored\n"), std::string::npos);
  EXPECT_NE(run.err.find("in.txt:3: unknown key \"nam\" ignored\n"), std::string::npos);
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 2);
  EXPECT_EQ(RunSetupkitCaptured({u"show", folder_.File(u"out.rec")}).out.substr(0, 19),
            "app=demo;\r\nname=;\r\n");
}

// Text inside a value that looks like an entry stays part of that value: only a line's own key
// starts an entry.
TEST_F(SetupkitRecordTest, ConfigKeepsValuesThatHoldWhatLooksLikeAnEntry) {
  std::u16string out = folder_.File(u"out.rec");
  ToolRun config = RunSetupkitCaptured(
      {u"config",
       Input("app=x name=other;\nname=mine;\nsource=http://h/configconfig=http://evil/;\n"
             "company=Example;\n"),
       out});
  ASSERT_EQ(config.status, 0) << config.err;
  std::string shown = RunSetupkitCaptured({u"show", out}).out;
  EXPECT_NE(shown.find("app=x name=other;\r\nname=mine;\r\n"), std::string::npos) << shown;
  EXPECT_NE(shown.find("source=http://h/configconfig=http://evil/;\r\nconfig=;\r\n"),
            std::string::npos)
      << shown;
}

TEST_F(SetupkitRecordTest, ConfigRefusesWhatCouldNotBeReadBackWhole) {
  std::string tooLongName = "name=" + std::string(128, 'n') + ";\n";
  struct Case {
    const char* name;
    std::string bytes;
    std::string message;  // part of the one line on stderr
  };
  const Case cases[] = {
      {"semicolon in a value", "app=x;\nhomepage=http://a/?p=1;q=2;\n",
       "in.txt:2: the value of \"homepage\" holds \";\""},
      {"text after the semicolon", "name=a; b\n", "line 1 is not an entry"},
      {"no semicolon", "app=x;\nname=a\n", "line 2 is not an entry"},
      {"no equals sign", "app;\n", "line 1 is not an entry"},
      {"no key", "=x;\n", "line 1 is not an entry"},
      {"key given twice", "app=a;\napp=b;\n", "in.txt:2: \"app\" is given twice"},
      {"style without its mark", "style=24;\n", "in.txt:1: style must be"},
      {"style not hexadecimal", "style=#2g;\n", "style must be"},
      {"style past 32 bits", "style=#123456789;\n", "style must be"},
      {"a language that is no code", "language=Deutsch (AT);\n",
       "in.txt:1: language must be a language code such as en or de-AT"},
      {"value too long", tooLongName, "\"name\" is longer than the 127 characters its field keeps"},
      {"malformed UTF-8", "app=\xC3\x28;\n", "neither UTF-8 nor UTF-16"},
      {"UTF-16 without its mark", Utf16Le(u"app=x;\n"), "UTF-16 needs its byte-order mark"},
      {"UTF-32", std::string("\xFF\xFE\x00\x00", 4) + "a\0\0\0", "UTF-32"},
      {"odd UTF-16", "\xFF\xFE" "a\0=", "half a character"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ToolRun run = RunSetupkitCaptured({u"config", Input(c.bytes), folder_.File(u"out.rec")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);
    EXPECT_FALSE(std::filesystem::exists(folder_.Path() / "out.rec"));
  }
  ToolRun missing =
      RunSetupkitCaptured({u"config", folder_.File(u"missing.txt"), folder_.File(u"out.rec")});
  EXPECT_EQ(missing.status, 1);
}

// "app" and "company" name the install folder and the product's keys: the installer refuses a
// record whose names could lead elsewhere, so the configuration is refused first, naming the key.
TEST_F(SetupkitRecordTest, ConfigRefusesFolderNamesThatAreNotPlain) {
  struct Case {
    std::string bytes;
    std::string message;  // the one line on stderr, after "setupkit: " and the file's path
  };
  const Case cases[] = {
      {"app=..\\..\\..\\evil;\ncompany=E;\n",
       ":1: the value of \"app\" must be one plain folder name, and \"..\\..\\..\\evil\" holds a "
       "path separator (\"/\" or \"\\\")"},
      {"app=..;\ncompany=E;\n", ":1: the value of \"app\" must be one plain folder name, and "
                                "\"..\" is \"..\", a step in a path rather than a name"},
      {"app=;\ncompany=E;\n",
       ":1: the value of \"app\" must be one plain folder name, and \"\" is empty"},
      {"company=E;\napp=CON;\n", ":2: the value of \"app\" must be one plain folder name, and "
                                 "\"CON\" is a device name, which Windows opens in place of a file"},
      {"app=com1.txt;\ncompany=E;\n", "\"com1.txt\" is a device name"},
      {"app=a/b:c;\ncompany=E;\n", "\"a/b:c\" holds a path separator"},
      {"app=C:evil;\ncompany=E;\n",
       "\"C:evil\" holds \":\", which Windows reads as a drive or a stream"},
      {"app=a*b;\ncompany=E;\n", "\"a*b\" holds \"*\", which Windows forbids in names"},
      {"app=a\tb;\ncompany=E;\n", "\"a\tb\" holds a control character"},
      {"app=client;\ncompany=Example.;\n",
       ":2: the value of \"company\" must be one plain folder name, and \"Example.\" ends in a dot "
       "or a space, which Windows drops"},
      {"app=client;\ncompany=Example ;\n", "\"Example \" ends in a dot or a space"},
      {"app=client;\n", ": \"company\" is not given: it names the install folder and the "
                        "product's keys"},
      {"company=E;\n", ": \"app\" is not given: it names the install folder and the product's keys"},
  };
  const std::string path = Utf16ToUtf8(folder_.File(u"in.txt").c_str());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes);
    ToolRun run = RunSetupkitCaptured({u"config", Input(c.bytes), folder_.File(u"out.rec")});
    EXPECT_EQ(run.status, 1);
    if (c.message[0] == ':') {
      EXPECT_EQ(run.err, "setupkit: " + path + c.message + "\n");
    } else {
      EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
      EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);
    }
    EXPECT_FALSE(std::filesystem::exists(folder_.Path() / "out.rec"));
  }
  // Names beyond ASCII are plain names too.
  ToolRun plain = RunSetupkitCaptured(
      {u"config", Input("app=\xE5\xAE\xA2\xE6\x88\xB7\xE7\xAB\xAF;\ncompany=a.b c;\n"),
       folder_.File(u"out.rec")});
  EXPECT_EQ(plain.status, 0) << plain.err;
}

TEST_F(SetupkitRecordTest, ShowRefusesFilesThatAreNotRecords) {
  CClientInfo record;
  std::vector<uint8_t> packed(4096);
  uint32_t n = record.Serialize(packed.data(), 4096, true);
  std::string damaged(reinterpret_cast<char*>(packed.data()), n - 20);
  std::u16string notARecord = u"readme: nothing to configure\r\n";
  std::vector<uint8_t> packedText(4096);
  uint32_t packedTextSize = PackContainer(
      packedText.data(), 4096, reinterpret_cast<const uint8_t*>(notARecord.c_str()),
      static_cast<uint32_t>(2 * (notARecord.size() + 1)));
  const std::string none = "is not an update list, an uninstall list or a client record";
  std::string flipped(reinterpret_cast<char*>(packed.data()), n);
  flipped[n / 2] = static_cast<char>(flipped[n / 2] ^ 0x01);

  struct Case {
    const char* name;
    std::string bytes;
    std::string message;
  };
  const Case cases[] = {
      {"damaged container", damaged, "is damaged: its packed container does not unpack"},
      {"one bit flipped", flipped, "is damaged: its packed container does not unpack"},
      {"text without the UTF-16 mark", kVendorText, none},
      {"UTF-16 without its mark", Utf16Le(u"app=x;\r\n"), none},
      {"empty", "", none},
      {"not a real executable", "MZ and nothing else", "in.txt"},
      {"uninstall list whose last entry lacks its bar", "\xFF\xFE" + Utf16Le(u"bin\\|bin\\a.exe"),
       none},
      {"UTF-16 text of no known keys", "\xFF\xFE" + Utf16Le(u"colour=red;\r\nsize=2;\r\n"), none},
      {"packed text that is not a record",
       std::string(reinterpret_cast<char*>(packedText.data()), packedTextSize), none},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ToolRun run = RunSetupkitCaptured({u"show", Input(c.bytes)});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);
  }
  EXPECT_EQ(RunSetupkitCaptured({u"show", folder_.File(u"missing.rec")}).status, 1);
  EXPECT_EQ(RunSetupkitCaptured({u"show"}).status, 2);
}

}  // namespace
