#include "product/file_owner_question.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "records/current_language.h"
#include "support/system/file_removal.h"
#include "support/system/process_control.h"
#include "tests/helpers/scripted_answers.h"
#include "tests/helpers/started_process.h"
#include "tests/helpers/temp_folder.h"

namespace {

// The question as a person sees it when a file to delete is a running program; only Yes ends it.
TEST(FileOwnerQuestion, AsksByPathAndEndsTheProgramOnlyOnYes) {
  void* const owner = reinterpret_cast<void*>(0x4711);
  TempFolder folder;
  for (int answer : {IDNO, IDYES}) {
    SCOPED_TRACE(answer);
    StartedProcess held(folder.Path(), u"\u5BA2\u6237\u7AEF.exe");  // 客户端.exe
    ASSERT_TRUE(IsProcessRunning(held.Id()));
    ScriptedAnswers answers({answer});

    EXPECT_EQ(DeleteFileOrStopOwner(held.Path().c_str(), AskToStopFileOwner, owner),
              answer == IDYES);

    EXPECT_EQ(std::filesystem::exists(std::filesystem::path(held.Path())), answer != IDYES);
    ASSERT_EQ(answers.Asked().size(), 1u);
    const ScriptedAnswers::Question& question = answers.Asked()[0];
    EXPECT_EQ(question.text, Text(TextKey::kFileOwnerQuestion, {{u"file", held.Path()}}));
    EXPECT_EQ(question.caption, Text(TextKey::kFileOwnerCaption));
    EXPECT_EQ(question.flags, static_cast<unsigned>(MB_YESNO));
    EXPECT_EQ(question.owner, owner);
  }
}

}  // namespace
