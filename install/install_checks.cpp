#include "install/install_checks.h"

#include <windows.h>

#include <string>

#include "product/product_keys.h"
#include "records/client_info.h"
#include "records/current_language.h"
#include "support/system/process_control.h"
#include "support/system/user_question.h"
#include "support/text/ascii_text.h"
#include "support/text/path_text.h"
#include "support/text/version_text.h"

namespace {

constexpr int kVersionUnits = 128;
constexpr uint32_t kKillWaitMs = 10000;

// One security product: its name in the "detect" list, which the vendor writes in Chinese
// whatever the language shown, and the processes that tell it runs.
struct SecurityProduct {
  const char16_t* name;
  const char16_t* processes;
};
const SecurityProduct kSecurityProducts[] = {
    {u"360\u6740\u6bd2", u"360rp.exe|360rps.exe|360sd.exe"},           // 360杀毒
    {u"360\u5b89\u5168\u536b\u58eb", u"360tray.exe|360Safe.exe"},       // 360安全卫士
};
constexpr int kSecurityProductCount = sizeof kSecurityProducts / sizeof kSecurityProducts[0];

int Ask(void* owner, const std::u16string& text, unsigned flags) {
  return AskUser(owner, text.c_str(), Text(TextKey::kInstallCaption).c_str(), flags);
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

// The question names what goes on once the client is ended, each in a sentence of its own.
TextKey RunningClientQuestion(ClientTask task) {
  switch (task) {
    case ClientTask::kUninstall:
      return TextKey::kClientRunningUninstall;
    case ClientTask::kUpdate:
      return TextKey::kClientRunningUpdate;
    case ClientTask::kInstall:
      break;
  }
  return TextKey::kClientRunningInstall;
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
  const int order = CompareInstalledVersion(installed, packageVersion);
  if (order > 0) {
    Ask(owner,
        Text(TextKey::kNewerInstalled,
             {{u"installed", installed}, {u"name", name}, {u"version", packageVersion}}),
        MB_ICONWARNING | MB_OK);
    return InstalledVersionCheck::kRefused;
  }
  if (order == 0 &&
      Ask(owner, Text(TextKey::kRepairQuestion, {{u"installed", installed}, {u"name", name}}),
          MB_ICONQUESTION | MB_YESNO) != IDYES) {
    return InstalledVersionCheck::kDeclined;
  }
  return InstalledVersionCheck::kProceed;
}

bool CheckAntivirus(void* owner, const IClientInfo& product) {
  if (!product.HasStyle(kStyleDetectSecuritySoftware)) return true;
  const char16_t* detect = product.GetDetect().Units();
  bool running[kSecurityProductCount] = {};
  if (!FindRunningSecurityProducts(detect, running, false)) return true;
  Ask(owner, Text(TextKey::kQuitSecuritySoftware), MB_ICONWARNING | MB_OK);
  if (!FindRunningSecurityProducts(detect, running, true)) return true;
  return Ask(owner, Text(TextKey::kSecuritySoftwareRunning), MB_ICONWARNING | MB_YESNO) == IDYES;
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
    const std::u16string question =
        Text(RunningClientQuestion(task), {{u"name", product.GetName().Units()}, {u"path", path}});
    if (Ask(owner, question, MB_ICONQUESTION | MB_YESNO) != IDYES) return false;
  }
  // The task goes on even when the process could not be ended; the files it holds will fail.
  KillProcess(process, kKillWaitMs);
  return true;
}
