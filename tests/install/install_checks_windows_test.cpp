#include "install/install_checks.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "product/product_keys.h"
#include "records/client_info.h"
#include "support/system/process_control.h"
#include "support/system/user_question.h"
#include "tests/helpers/held_language.h"
#include "tests/helpers/scripted_answers.h"
#include "tests/helpers/started_process.h"
#include "tests/helpers/temp_folder.h"

namespace {

const std::u16string kCaption = u"安装提示";
const std::u16string kQuitSecurity = u"请退出360杀毒或360卫士保障安装正常运行。";
const std::u16string kInstallAnyway =
    u"运行360杀毒或360卫士会导致文件被误删，软件无法正常使用。是否继续安装？";

// The checks of a test product; its installed version lives in the real product key, removed
// afterwards.
class InstallChecksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    product_.SetCompany(u"ChecksTestCompany");
    product_.SetApp(u"checks");
    product_.SetName(u"演示");
    product_.SetClientFile(u"checked-client.exe");
  }
  void TearDown() override { DeleteProductKey(u"ChecksTestCompany", u"checks"); }

  // The questions are held in Chinese, as they have always been asked.
  HeldLanguage chinese_{ChineseLanguage()};
  CClientInfo product_;
};

TEST_F(InstallChecksTest, InstalledVersionComparedAsDottedNumbersDecidesTheInstall) {
  struct Case {
    const char16_t* installed;  // null: nothing installed
    const char16_t* package;
    int answer;
    InstalledVersionCheck expected;
    std::u16string question;  // empty: none asked
    unsigned flags;
  };
  const Case cases[] = {
      {nullptr, u"1.0.0.0", IDYES, InstalledVersionCheck::kProceed, u"", 0},
      {u"2.0.0.0", u"1.9.9.9", IDOK, InstalledVersionCheck::kRefused,
       u"对不起！您的电脑里已经安装了更新版本（2.0.0.0）的演示。\n"
       u"当前安装包版本（1.9.9.9）过旧无法安装！\n",
       MB_ICONWARNING | MB_OK},
      // 1.10 is newer than 1.9: no downgrade passes for an upgrade.
      {u"1.10.0.0", u"1.9.0.0", IDOK, InstalledVersionCheck::kRefused,
       u"对不起！您的电脑里已经安装了更新版本（1.10.0.0）的演示。\n"
       u"当前安装包版本（1.9.0.0）过旧无法安装！\n",
       MB_ICONWARNING | MB_OK},
      {u"1.9.0.0", u"1.10.0.0", IDYES, InstalledVersionCheck::kProceed, u"", 0},
      // The same version written shorter asks about a repair.
      {u"1.9", u"1.9.0.0", IDNO, InstalledVersionCheck::kDeclined,
       u"您的电脑里已经安装了当前版本（1.9）的演示，需要修复吗？\n", MB_ICONQUESTION | MB_YESNO},
      {u"1.0.0.0", u"2.0.0.0", IDYES, InstalledVersionCheck::kProceed, u"", 0},
      {u"1.9.0.0", u"1.9.0.0", IDYES, InstalledVersionCheck::kProceed,
       u"您的电脑里已经安装了当前版本（1.9.0.0）的演示，需要修复吗？\n",
       MB_ICONQUESTION | MB_YESNO},
      {u"1.9.0.0", u"1.9.0.0", IDNO, InstalledVersionCheck::kDeclined,
       u"您的电脑里已经安装了当前版本（1.9.0.0）的演示，需要修复吗？\n",
       MB_ICONQUESTION | MB_YESNO},
  };
  for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(i);
    DeleteProductKey(u"ChecksTestCompany", u"checks");
    if (c.installed != nullptr) {
      ASSERT_TRUE(WriteProductValue(u"ChecksTestCompany", u"checks", u"version", c.installed, -1));
    }
    ScriptedAnswers answers({c.answer});
    int owner = 0;
    product_.SetVersion(c.package);
    EXPECT_EQ(CheckInstalledVersion(&owner, product_), c.expected);
    if (c.question.empty()) {
      EXPECT_TRUE(answers.Asked().empty());
      continue;
    }
    ASSERT_EQ(answers.Asked().size(), 1u);
    EXPECT_EQ(answers.Asked()[0].text, c.question);
    EXPECT_EQ(answers.Asked()[0].caption, kCaption);
    EXPECT_EQ(answers.Asked()[0].flags, c.flags);
    EXPECT_EQ(answers.Asked()[0].owner, &owner);
  }
}

TEST_F(InstallChecksTest, AntivirusCheckAsksOnlyAboutDetectedRunningProducts) {
  struct Case {
    const char* name;
    uint32_t style;
    const char16_t* detect;
    const char16_t* running;  // a process started for the case, or null
    std::vector<int> answers;
    bool expected;
    std::vector<std::u16string> asked;
  };
  const Case cases[] = {
      {"check switched off", 0, u"360杀毒|360安全卫士", u"360tray.exe", {}, true, {}},
      {"nothing running", kStyleDetectSecuritySoftware, u"360杀毒|360安全卫士", nullptr, {},
       true, {}},
      {"running but not detected", kStyleDetectSecuritySoftware, u"360杀毒", u"360tray.exe", {},
       true, {}},
      {"still running, install anyway", kStyleDetectSecuritySoftware, u"360安全卫士",
       u"360Safe.exe", {IDOK, IDYES}, true, {kQuitSecurity, kInstallAnyway}},
      {"still running, stop", kStyleDetectSecuritySoftware, u"360杀毒,360安全卫士", u"360sd.exe",
       {IDOK, IDNO}, false, {kQuitSecurity, kInstallAnyway}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    product_.SetStyle(c.style);
    product_.SetDetect(c.detect);
    TempFolder folder;
    std::unique_ptr<StartedProcess> process;
    if (c.running != nullptr) {
      process = std::make_unique<StartedProcess>(folder.Path(), c.running);
      ASSERT_NE(process->Id(), 0u);
    }
    ScriptedAnswers answers(std::deque<int>(c.answers.begin(), c.answers.end()));
    EXPECT_EQ(CheckAntivirus(nullptr, product_), c.expected);
    ASSERT_EQ(answers.Asked().size(), c.asked.size());
    for (size_t i = 0; i < c.asked.size(); ++i) {
      EXPECT_EQ(answers.Asked()[i].text, c.asked[i]);
      EXPECT_EQ(answers.Asked()[i].caption, kCaption);
      EXPECT_EQ(answers.Asked()[i].flags,
                static_cast<unsigned>(MB_ICONWARNING | (i == 0 ? MB_OK : MB_YESNO)));
    }
  }
}

// The user who quits the security product while the first box is open.
uint32_t productToQuit = 0;
int questionsAsked = 0;
int QuitProductAndConfirm(void*, const char16_t*, const char16_t*, unsigned) {
  ++questionsAsked;
  KillProcess(productToQuit, 5000);
  return IDOK;
}

TEST_F(InstallChecksTest, AntivirusQuitWhileAskedNeedsNoSecondQuestion) {
  product_.SetStyle(kStyleDetectSecuritySoftware);
  product_.SetDetect(u"360杀毒");
  TempFolder folder;
  StartedProcess product(folder.Path(), u"360rps.exe");
  ASSERT_NE(product.Id(), 0u);
  productToQuit = product.Id();
  questionsAsked = 0;
  QuestionFunction previous = ReplaceQuestionFunction(QuitProductAndConfirm);
  bool result = CheckAntivirus(nullptr, product_);
  ReplaceQuestionFunction(previous);
  EXPECT_TRUE(result);
  EXPECT_EQ(questionsAsked, 1);
}

TEST_F(InstallChecksTest, RunningClientIsFoundByNameAndEndedOnlyWhenTheUserSaysSo) {
  TempFolder installFolder;
  TempFolder elsewhere;  // a copy running from another folder is found by its name alone
  const std::u16string folder = installFolder.Path().u16string();  // no trailing backslash
  const std::u16string clientPath = folder + u"\\checked-client.exe";
  const std::u16string question =
      u"演示客户端" + clientPath + u"正在运行!\n是否强制终止后继续安装？";
  struct Case {
    const char* name;
    bool running;
    int answer;
    bool expected;
    bool asked;
    bool ended;
  };
  const Case cases[] = {
      {"not running", false, IDYES, true, false, false},
      {"kept running", true, IDNO, false, true, false},
      {"ended", true, IDYES, true, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<StartedProcess> client;
    if (c.running) {
      client = std::make_unique<StartedProcess>(elsewhere.Path(), u"checked-client.exe");
      ASSERT_NE(client->Id(), 0u);
    }
    ScriptedAnswers answers({c.answer});
    EXPECT_EQ(CheckRunningClient(nullptr, product_, folder.c_str()), c.expected);
    ASSERT_EQ(answers.Asked().size(), c.asked ? 1u : 0u);
    if (c.asked) {
      EXPECT_EQ(answers.Asked()[0].text, question);
      EXPECT_EQ(answers.Asked()[0].caption, kCaption);
      EXPECT_EQ(answers.Asked()[0].flags, static_cast<unsigned>(MB_ICONQUESTION | MB_YESNO));
    }
    if (client) {
      EXPECT_EQ(client->WaitForExit(c.ended ? 5000 : 0), c.ended);
    }
  }
}

}  // namespace
