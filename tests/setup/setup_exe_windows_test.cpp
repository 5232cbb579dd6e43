// The real setup.exe, started as a process of its own.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "records/current_language.h"
#include "install/exit_codes.h"
#include "records/client_info.h"
#include "support/container/packed_container.h"
#include "support/core/handle_windows.h"
#include "support/core/wide_text.h"
#include "support/pe/module_library.h"
#include "support/pe/resource_reader.h"
#include "support/text/utf8.h"
#include "tests/helpers/answered_program.h"
#include "tests/helpers/install_payload.h"
#include "tests/helpers/temp_folder.h"
#include "tests/helpers/windows_test_support.h"

namespace {

// The installer at exe is a damaged package: asked about once (in a box captioned caption, when
// given), and a silent run ends without asking; either ends with status 1, nothing installed.
void ExpectDamagedPackage(const std::u16string& exe, const std::u16string& caption = u"") {
  ProgramRun run = RunAnswering(exe);
  EXPECT_TRUE(run.exited);
  EXPECT_EQ(run.exitCode, 1u);
  ASSERT_EQ(run.questions.size(), 1u);
  EXPECT_EQ(run.questions[0].text, Text(TextKey::kPackageDamaged));
  if (!caption.empty()) EXPECT_EQ(run.questions[0].caption, caption);
  ProgramRun silent = RunAnswering(exe, L" silent");
  EXPECT_TRUE(silent.exited);
  EXPECT_EQ(silent.exitCode, 1u);
  EXPECT_TRUE(silent.questions.empty());
}

class SetupExeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    exe_ = folder_.File(u"setup.exe");
    std::filesystem::copy_file(TestProgramFolder() / "setup.exe", exe_);
  }

  TempFolder folder_;
  std::u16string exe_;
};

TEST_F(SetupExeTest, IsAGuiProgramAskingForAdministratorRightsWithIconOne) {
  std::string bytes = ReadBytes(std::filesystem::path(exe_));
  ASSERT_GT(bytes.size(), sizeof(IMAGE_DOS_HEADER));
  auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(bytes.data());
  ASSERT_LT(static_cast<size_t>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS64), bytes.size());
  auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(bytes.data() + dos->e_lfanew);
  EXPECT_EQ(nt->FileHeader.Machine, IMAGE_FILE_MACHINE_AMD64);
  EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
  // Linked without debug information, whose sections' long names need the symbol table.
  EXPECT_EQ(nt->FileHeader.PointerToSymbolTable, 0u);
  EXPECT_EQ(nt->FileHeader.NumberOfSymbols, 0u);

  ModuleLibrary library(exe_.c_str());
  ASSERT_NE(library.Handle(), nullptr);
  char manifest[4096] = {};
  uint32_t n = ReadResource(manifest, sizeof manifest - 1, library.Handle(),
                            AsUtf16(RT_MANIFEST), 1);
  ASSERT_GT(n, 0u);
  EXPECT_NE(std::string(manifest, n).find("level=\"requireAdministrator\""), std::string::npos);

  // Icon group 1 lists one image of 32 x 32 at 32 bits, which is there under its own id.
  struct IconEntry {
    uint8_t width, height, colours, reserved;
    uint16_t planes, bitCount;
    uint32_t bytes;
    uint16_t id;
  } __attribute__((packed));
  uint8_t group[6 + sizeof(IconEntry)] = {};
  ASSERT_EQ(ReadResource(group, sizeof group, library.Handle(), AsUtf16(RT_GROUP_ICON), 1),
            sizeof group);
  auto* entry = reinterpret_cast<const IconEntry*>(group + 6);
  EXPECT_EQ(group[4], 1);
  EXPECT_EQ(entry->width, 32);
  EXPECT_EQ(entry->bitCount, 32);
  EXPECT_EQ(ReadResource(nullptr, 0, library.Handle(), AsUtf16(RT_ICON), entry->id), entry->bytes);
}

// The width and height of an 8-bit RGBA PNG (colour type 6, the kind the installer decodes);
// zeros for anything else.
std::pair<uint32_t, uint32_t> RgbaPngSize(const uint8_t* bytes, DWORD n) {
  auto big = [bytes](int at) {
    return uint32_t{bytes[at]} << 24 | bytes[at + 1] << 16 | bytes[at + 2] << 8 | bytes[at + 3];
  };
  if (n < 26 || std::memcmp(bytes, "\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16) != 0 ||
      bytes[24] != 8 || bytes[25] != 6) {
    return {0, 0};
  }
  return {big(16), big(20)};
}

// The stub's own skin, for installers whose payload carries none: every image the window names,
// found by its name in any case, and the border as image 1.
TEST_F(SetupExeTest, CarriesTheDefaultSkinAsImageResources) {
  ModuleLibrary library(exe_.c_str());
  ASSERT_NE(library.Handle(), nullptr);
  auto module = static_cast<HMODULE>(library.Handle());
  const wchar_t* const names[] = {
      L"bg_main.png", L"logo.png", L"BTN_CLOSE.PNG", L"btn_min.png", L"copyright.png",
      L"waiting.png", L"Btn_Start.png", L"btn_finish.png", L"edit.png", L"btn_browse.png",
      L"check.png", L"checked.png", L"agree.png", L"protocol.png", L"progress_sink.png",
      L"progress_pos.png", L"progress_dot.png", MAKEINTRESOURCEW(1)};
  std::map<std::u16string, std::pair<uint32_t, uint32_t>> sizes;
  for (const wchar_t* name : names) {
    std::u16string shown = IS_INTRESOURCE(name) ? u"image 1" : AsUtf16(name);
    SCOPED_TRACE(Utf16ToUtf8(shown.c_str()));
    HRSRC found = FindResourceW(module, name, L"IMAGE");
    ASSERT_NE(found, nullptr);
    HGLOBAL loaded = LoadResource(module, found);
    ASSERT_NE(loaded, nullptr);
    sizes[shown] = RgbaPngSize(static_cast<const uint8_t*>(LockResource(loaded)),
                               SizeofResource(module, found));
    EXPECT_NE(sizes[shown].first, 0u);
  }
  EXPECT_EQ(sizes[u"bg_main.png"], std::make_pair(600u, 400u));
  // A nine-part frame of 6-pixel corners and edges.
  EXPECT_EQ(sizes[u"image 1"], std::make_pair(18u, 18u));
}

TEST_F(SetupExeTest, StampedSetupLoadsItsConfigurationWithoutAsking) {
  ASSERT_TRUE(CanShowWindows()) << "needs a display (scripts/run-tests.sh provides one)";
  for (bool packed : {true, false}) {
    SCOPED_TRACE(packed);
    CClientInfo config;
    config.SetName(u"Stamped");
    ASSERT_NE(config.SaveToModuleFile(exe_.c_str(), u"APP", 1, packed), 0u);
    // Its window shows, titled with the product's name, and closes when asked to: cancelled,
    // nothing installed.
    ProgramRun run = RunAnswering(exe_, L"", {}, 30000, u"Stamped - " + Text(TextKey::kWindowCaption, {{u"name", u"Stamped"}}));
    EXPECT_TRUE(run.exited);
    EXPECT_EQ(run.exitCode, static_cast<DWORD>(kExitCancelled));
    EXPECT_TRUE(run.questions.empty());
  }
}

TEST_F(SetupExeTest, UnstampedSetupAsksOnceAndEndsOnNo) {
  ASSERT_TRUE(CanShowWindows()) << "needs a display (scripts/run-tests.sh provides one)";
  ProgramRun run = RunAnswering(exe_);
  EXPECT_TRUE(run.exited);
  EXPECT_EQ(run.exitCode, 1u);
  ASSERT_EQ(run.questions.size(), 1u);
  EXPECT_EQ(run.questions[0].caption, u"vu");
  EXPECT_EQ(run.questions[0].text, Text(TextKey::kPackageDamaged));
}

// The stamped configuration is checked as it is read: one bit flipped anywhere in the stored
// "app" record (here in the marker, the word, and the notify URL) is a damaged package, asked
// about once; a silent install has nobody to ask and ends with status 1.
TEST_F(SetupExeTest, OneFlippedBitInTheConfigurationIsADamagedPackage) {
  ASSERT_TRUE(CanShowWindows()) << "needs a display (scripts/run-tests.sh provides one)";
  CClientInfo config;
  config.ParseText(u"app=democlient;\r\nname=Demo;\r\nnotify=http://127.0.0.1:8080/report;\r\n");
  ASSERT_NE(config.SaveToModuleFile(exe_.c_str(), u"APP", 1, true), 0u);
  std::string stored(1024, '\0');
  {
    ModuleLibrary library(exe_.c_str());
    stored.resize(ReadResource(stored.data(), 1024, library.Handle(), u"APP", 1));
  }
  std::string plain(stored.size(), '\0');
  plain.resize(UnpackContainer(reinterpret_cast<uint8_t*>(plain.data()),
                               static_cast<uint32_t>(plain.size()),
                               reinterpret_cast<const uint8_t*>(stored.data()),
                               static_cast<uint32_t>(stored.size())));
  std::u16string text(reinterpret_cast<const char16_t*>(plain.data()), plain.size() / 2);
  // Scrambling keeps places: a byte of the stored payload stands where its plain byte does.
  ASSERT_NE(text.find(u"notify=http://127.0.0.1"), std::u16string::npos);
  const size_t inNotify = 10 + 2 * (text.find(u"notify=") + 12);

  struct Case {
    const char* name;
    size_t bit;
  };
  const Case cases[] = {
      {"marker", 8 * 1 + 1}, {"word", 8 * 9 + 7}, {"notify URL", 8 * inNotify + 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string damaged = stored;
    damaged[c.bit / 8] = static_cast<char>(damaged[c.bit / 8] ^ (1 << (c.bit % 8)));
    ASSERT_TRUE(PutResource(exe_, u"APP", 1, damaged));

    ExpectDamagedPackage(exe_);
  }
  // Undamaged, the silent install starts, and ends as not started: the stub carries no client
  // and this configuration names no list to download it from.
  ASSERT_TRUE(PutResource(exe_, u"APP", 1, stored));
  ProgramRun whole = RunAnswering(exe_, L" silent");
  EXPECT_TRUE(whole.exited);
  EXPECT_EQ(whole.exitCode, 1u);
  EXPECT_TRUE(whole.questions.empty());
}

// The payload is checked at start-up as the configuration is: a "tail" resource that fails its
// container's check, or holds no archive, is the same damaged package, asked about once with the
// product's name as caption, never an installer that downloads its client instead; a silent
// install ends with status 1.
TEST_F(SetupExeTest, ADamagedPayloadIsADamagedPackage) {
  ASSERT_TRUE(CanShowWindows()) << "needs a display (scripts/run-tests.sh provides one)";
  CClientInfo config;
  config.ParseText(u"app=democlient;\r\nname=Demo;\r\nconfig=http://127.0.0.1:9/update.xml;\r\n");
  ASSERT_NE(config.SaveToModuleFile(exe_.c_str(), u"APP", 1, true), 0u);
  // An empty archive: its end-of-directory record alone.
  const std::string archive = std::string("PK\x05\x06", 4) + std::string(18, '\0');
  std::string flipped = PackedContainer(archive);
  flipped[kContainerHeaderSize + 3] ^= 0x20;
  struct Case {
    const char* name;
    std::string tail;
  };
  const Case cases[] = {
      {"one bit flipped", flipped},
      {"no archive", PackedContainer("theme.txt is not an archive")},
  };
  // Without a payload of its own the installer reads the archive beside it: one that does not
  // open is as damaged, and no download takes its place.
  {
    SCOPED_TRACE("damaged archive beside the installer");
    std::filesystem::path sibling(exe_);
    sibling.replace_extension(".zip");
    WriteBytes(sibling, flipped);
    ExpectDamagedPackage(exe_);
    std::filesystem::remove(sibling);
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(PutResource(exe_, u"TAIL", 1, c.tail));

    ExpectDamagedPackage(exe_, u"Demo");
  }
}

}  // namespace
