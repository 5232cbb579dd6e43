#include "install/install_checks.h"

#include <windows.h>

#include <cwchar>

#include "product/product_keys.h"
#include "records/client_info.h"
#include "support/core/wide_text.h"
#include "support/system/process_control.h"
#include "support/system/user_question.h"
#include "support/text/ascii_text.h"
#include "support/text/path_text.h"
#include "support/text/version_text.h"

namespace {

constexpr char16_t kCaption[] = u"\u5b89\u88c5\u63d0\u793a";  // 安装提示
constexpr int kVersionUnits = 128;
constexpr int kMessageUnits = 1024;
constexpr uint32_t kKillWaitMs = 10000;

// One security product: its name in the "detect" list and the processes that tell it runs.
struct SecurityProduct {
  const char16_t* name;
  const char16_t* processes;
};
const SecurityProduct kSecurityProducts[] = {
    {u"360\u6740\u6bd2", u"360rp.exe|360rps.exe|360sd.exe"},           // 360杀毒
    {u"360\u5b89\u5168\u536b\u58eb", u"360tray.exe|360Safe.exe"},       // 360安全卫士
};
constexpr int kSecurityProductCount = sizeof kSecurityProducts / sizeof kSecurityProducts[0];

// Fills a message whose %ls slots take the given texts in order (at most kMessageUnits units).
template <typename... Texts>
void FillMessage(char16_t* out, const char16_t* format, Texts... texts) {
  std::swprintf(AsWide(out), kMessageUnits, AsWide(format), AsWide(texts)...);
}

int Ask(void* owner, const char16_t* text, unsigned flags) {
  return AskUser(owner, text, kCaption, flags);
}

// Marks in running[] the detected products of which a process runs; true when any does. Only
// products already marked are looked at when onlyMarked is set.
bool FindRunningSecurityProducts(const char16_t* detect, bool running[], bool onlyMarked) {
  bool any = false;
  for (int i = 0; i < kSecurityProductCount; ++i) {
    if (onlyMarked && !running[i]) continue;
    running[i] = ContainsUnits(detect, kSecurityProducts[i].name) &&
                 FindProcess(kSecurityProducts[i].processes) != 0;
    any = any || running[i];
  }
  return any;
}

const char16_t* TaskWord(ClientTask task) {
  switch (task) {
    case ClientTask::kUninstall:
      return u"\u5378\u8f7d";  // 卸载
    case ClientTask::kUpdate:
      return u"\u66f4\u65b0";  // 更新
    case ClientTask::kInstall:
      break;
  }
  return u"\u5b89\u88c5";  // 安装
}

// Below 0, 0 or above 0 as the installed version is older than, the same as or newer than the
// package's: as dotted numbers ("1.10" is newer than "1.9"), so that an older package never
// passes for an upgrade; as text only where either is not a version at all.
int CompareInstalledVersion(const char16_t* installed, const char16_t* package) {
  switch (CompareVersionTexts(installed, package)) {
    case VersionOrder::kOlder:
      return -1;
    case VersionOrder::kSame:
      return 0;
    case VersionOrder::kNewer:
      return 1;
    case VersionOrder::kIncomparable:
      break;
  }
  return CompareUnits(installed, package);
}

}  // namespace

InstalledVersionCheck CheckInstalledVersion(void* owner, const IClientInfo& product) {
  char16_t installed[kVersionUnits] = {};
  if (!ReadProductValue(product.GetCompany().Units(), product.GetApp().Units(), u"version",
                        installed, kVersionUnits)) {
    return InstalledVersionCheck::kProceed;
  }
  const char16_t* name = product.GetName().Units();
  const char16_t* packageVersion = product.GetVersion().Units();
  char16_t message[kMessageUnits];
  const int order = CompareInstalledVersion(installed, packageVersion);
  if (order > 0) {
    // 对不起！您的电脑里已经安装了更新版本（%s）的%s。\n当前安装包版本（%s）过旧无法安装！\n
    FillMessage(message,
                  u"\u5bf9\u4e0d\u8d77\uff01\u60a8\u7684\u7535\u8111\u91cc\u5df2\u7ecf\u5b89\u88c5"
                  u"\u4e86\u66f4\u65b0\u7248\u672c\uff08%ls\uff09\u7684%ls\u3002\n\u5f53\u524d"
                  u"\u5b89\u88c5\u5305\u7248\u672c\uff08%ls\uff09\u8fc7\u65e7\u65e0\u6cd5\u5b89"
                  u"\u88c5\uff01\n",
                  installed, name, packageVersion);
    Ask(owner, message, MB_ICONWARNING | MB_OK);
    return InstalledVersionCheck::kRefused;
  }
  if (order == 0) {
    // 您的电脑里已经安装了当前版本（%s）的%s，需要修复吗？\n
    FillMessage(message,
                  u"\u60a8\u7684\u7535\u8111\u91cc\u5df2\u7ecf\u5b89\u88c5\u4e86\u5f53\u524d\u7248"
                  u"\u672c\uff08%ls\uff09\u7684%ls\uff0c\u9700\u8981\u4fee\u590d\u5417\uff1f\n",
                  installed, name);
    if (Ask(owner, message, MB_ICONQUESTION | MB_YESNO) != IDYES) {
      return InstalledVersionCheck::kDeclined;
    }
  }
  return InstalledVersionCheck::kProceed;
}

bool CheckAntivirus(void* owner, const IClientInfo& product) {
  if (!product.HasStyle(kStyleDetectSecuritySoftware)) return true;
  const char16_t* detect = product.GetDetect().Units();
  bool running[kSecurityProductCount] = {};
  if (!FindRunningSecurityProducts(detect, running, false)) return true;
  // 请退出360杀毒或360卫士保障安装正常运行。
  Ask(owner,
      u"\u8bf7\u9000\u51fa360\u6740\u6bd2\u6216360\u536b\u58eb\u4fdd\u969c\u5b89\u88c5\u6b63"
      u"\u5e38\u8fd0\u884c\u3002",
      MB_ICONWARNING | MB_OK);
  if (!FindRunningSecurityProducts(detect, running, true)) return true;
  // 运行360杀毒或360卫士会导致文件被误删，软件无法正常使用。是否继续安装？
  return Ask(owner,
             u"\u8fd0\u884c360\u6740\u6bd2\u6216360\u536b\u58eb\u4f1a\u5bfc\u81f4\u6587\u4ef6"
             u"\u88ab\u8bef\u5220\uff0c\u8f6f\u4ef6\u65e0\u6cd5\u6b63\u5e38\u4f7f\u7528\u3002"
             u"\u662f\u5426\u7ee7\u7eed\u5b89\u88c5\uff1f",
             MB_ICONWARNING | MB_YESNO) == IDYES;
}

bool CheckRunningClient(void* owner, const IClientInfo& product, const char16_t* installFolder) {
  return EndRunningClient(owner, product, installFolder, ClientTask::kInstall, true);
}

bool EndRunningClient(void* owner, const IClientInfo& product, const char16_t* installFolder,
                      ClientTask task, bool ask) {
  if (installFolder == nullptr) return true;
  char16_t path[kPathCapacity];
  const char16_t* clientFile = product.GetClientFile().Units();
  if (!ComposePath(path, kPathCapacity, {installFolder, SeparatorAfter(installFolder), clientFile})) {
    return true;
  }
  // The uninstaller and the updater, which may end the client without asking, end only the copy
  // that runs from the folder they work on.
  uint32_t process =
      task == ClientTask::kInstall ? FindProcess(path) : FindProcessRunningFrom(path);
  if (process == 0 || !IsProcessRunning(process)) return true;
  if (ask) {
    char16_t message[kMessageUnits];
    // %s客户端%s正在运行!\n是否强制终止后继续安装？ (卸载, 更新)
    FillMessage(message,
                  u"%ls\u5ba2\u6237\u7aef%ls\u6b63\u5728\u8fd0\u884c!\n\u662f\u5426\u5f3a\u5236"
                  u"\u7ec8\u6b62\u540e\u7ee7\u7eed%ls\uff1f",
                  product.GetName().Units(), path, TaskWord(task));
    if (Ask(owner, message, MB_ICONQUESTION | MB_YESNO) != IDYES) return false;
  }
  // The task goes on even when the process could not be ended; the files it holds will fail.
  KillProcess(process, kKillWaitMs);
  return true;
}
