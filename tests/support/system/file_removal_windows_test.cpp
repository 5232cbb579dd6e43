#include "support/system/file_removal.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/system/process_control.h"
#include "tests/helpers/started_process.h"
#include "tests/helpers/temp_folder.h"

namespace {

namespace fs = std::filesystem;

void* const kOwner = reinterpret_cast<void*>(0x4711);

// The question of DeleteFileOrStopOwner, answered from here: what it was asked and with what.
struct Consent {
  bool answer = false;
  std::vector<std::u16string> paths;
  std::vector<void*> owners;
};
Consent consent;

bool Consult(const char16_t* path, void* owner) {
  consent.paths.push_back(path);
  consent.owners.push_back(owner);
  return consent.answer;
}

TEST(FileRemoval, DeleteShellFileDeletesExactlyOneFile) {
  TempFolder folder;
  WriteBytes(folder.Path() / "client.lnk", "link");
  WriteBytes(folder.Path() / "x1.txt", "1");
  WriteBytes(folder.Path() / "x2.txt", "2");

  EXPECT_TRUE(DeleteShellFile(folder.File(u"client.lnk").c_str()));
  EXPECT_FALSE(fs::exists(folder.Path() / "client.lnk"));
  EXPECT_FALSE(DeleteShellFile(folder.File(u"client.lnk").c_str()));  // gone already

  // The shell would take these as patterns and delete every match.
  EXPECT_FALSE(DeleteShellFile(folder.File(u"x*.txt").c_str()));
  EXPECT_FALSE(DeleteShellFile(folder.File(u"x?.txt").c_str()));
  EXPECT_TRUE(fs::exists(folder.Path() / "x1.txt"));
  EXPECT_TRUE(fs::exists(folder.Path() / "x2.txt"));

  EXPECT_FALSE(DeleteShellFile(folder.File(std::u16string(300, u'x')).c_str()));
  EXPECT_FALSE(DeleteShellFile(u""));
  EXPECT_FALSE(DeleteShellFile(nullptr));
}

TEST(FileRemoval, DeletesFilesNobodyRunsWithoutAsking) {
  TempFolder folder;
  WriteBytes(folder.Path() / "data.bin", "data");
  consent = Consent();
  EXPECT_TRUE(DeleteFileOrStopOwner(folder.File(u"data.bin").c_str(), Consult, kOwner));
  EXPECT_FALSE(fs::exists(folder.Path() / "data.bin"));
  EXPECT_FALSE(DeleteFileOrStopOwner(folder.File(u"missing.bin").c_str(), Consult, kOwner));
  EXPECT_FALSE(DeleteFileOrStopOwner(nullptr, Consult, kOwner));
  EXPECT_TRUE(consent.paths.empty());
}

TEST(FileRemoval, EndsTheProgramRunningFromTheFileOnlyWithConsent) {
  TempFolder folder;
  struct Case {
    bool ask;
    bool answer;
    bool deleted;
  };
  const Case cases[] = {{true, false, false}, {true, true, true}, {false, false, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.ask) + " " + std::to_string(c.answer));
    StartedProcess held(folder.Path(), u"\u5BA2\u6237\u7AEF.exe");  // 客户端.exe
    ASSERT_TRUE(IsProcessRunning(held.Id()));
    consent = Consent();
    consent.answer = c.answer;

    EXPECT_EQ(DeleteFileOrStopOwner(held.Path().c_str(), c.ask ? Consult : nullptr, kOwner),
              c.deleted);
    EXPECT_EQ(fs::exists(fs::path(held.Path())), !c.deleted);
    EXPECT_EQ(IsProcessRunning(held.Id()), !c.deleted);
    EXPECT_EQ(consent.paths, c.ask ? std::vector<std::u16string>{held.Path()}
                                   : std::vector<std::u16string>{});
    EXPECT_EQ(consent.owners, c.ask ? std::vector<void*>{kOwner} : std::vector<void*>{});
  }
}

// A program of the same name running from elsewhere does not hold the file: it is neither asked
// about nor ended.
TEST(FileRemoval, LeavesProgramsThatOnlyShareTheName) {
  TempFolder folder;
  fs::create_directories(folder.Path() / "other");
  StartedProcess elsewhere(folder.Path() / "other", u"client.exe");
  ASSERT_TRUE(IsProcessRunning(elsewhere.Id()));
  fs::path file = folder.Path() / "client.exe";
  WriteBytes(file, "not running");
  SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY);  // so deleting it is refused

  consent = Consent();
  consent.answer = true;
  EXPECT_FALSE(DeleteFileOrStopOwner(file.u16string().c_str(), Consult, kOwner));
  EXPECT_TRUE(consent.paths.empty());
  EXPECT_TRUE(IsProcessRunning(elsewhere.Id()));
  SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
