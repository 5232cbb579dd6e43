#include "support/file_removal.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/process_control.h"
#include "tests/helpers/scripted_answers.h"
#include "tests/helpers/started_process.h"
#include "tests/helpers/temp_folder.h"

namespace {

namespace fs = std::filesystem;

void* const kOwner = reinterpret_cast<void*>(0x4711);

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
  ScriptedAnswers answers;
  EXPECT_TRUE(DeleteFileOrStopOwner(folder.File(u"data.bin").c_str(), true, kOwner));
  EXPECT_FALSE(fs::exists(folder.Path() / "data.bin"));
  EXPECT_FALSE(DeleteFileOrStopOwner(folder.File(u"missing.bin").c_str(), true, kOwner));
  EXPECT_FALSE(DeleteFileOrStopOwner(nullptr, true, kOwner));
  EXPECT_TRUE(answers.Asked().empty());
}

TEST(FileRemoval, EndsTheProgramRunningFromTheFileOnlyWithConsent) {
  TempFolder folder;
  struct Case {
    bool ask;
    int answer;
    bool deleted;
  };
  const Case cases[] = {{true, IDNO, false}, {true, IDYES, true}, {false, IDNO, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.ask) + " " + std::to_string(c.answer));
    StartedProcess held(folder.Path(), u"\u5BA2\u6237\u7AEF.exe");  // 客户端.exe
    ASSERT_TRUE(IsProcessRunning(held.Id()));
    ScriptedAnswers answers({c.answer});

    EXPECT_EQ(DeleteFileOrStopOwner(held.Path().c_str(), c.ask, kOwner), c.deleted);
    EXPECT_EQ(fs::exists(fs::path(held.Path())), !c.deleted);
    EXPECT_EQ(IsProcessRunning(held.Id()), !c.deleted);
    ASSERT_EQ(answers.Asked().size(), c.ask ? 1u : 0u);
    if (c.ask) {
      const ScriptedAnswers::Question& question = answers.Asked()[0];
      EXPECT_EQ(question.text,
                u"当前待删除文件" + held.Path() + u"正在运行!\n是否强制终止后删除？");
      EXPECT_EQ(question.caption, u"文件删除提示");
      EXPECT_EQ(question.flags, static_cast<unsigned>(MB_YESNO));
      EXPECT_EQ(question.owner, kOwner);
    }
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

  ScriptedAnswers answers({IDYES});
  EXPECT_FALSE(DeleteFileOrStopOwner(file.u16string().c_str(), true, kOwner));
  EXPECT_TRUE(answers.Asked().empty());
  EXPECT_TRUE(IsProcessRunning(elsewhere.Id()));
  SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
