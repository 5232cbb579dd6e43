#include "uninstaller/uninstall_run.h"

#include <windows.h>

#include <string>
#include <vector>

#include "install/install_checks.h"
#include "product/folder_recovery.h"
#include "product/installed_folder.h"
#include "product/product_registration.h"
#include "product/program_launch.h"
#include "product/uninstall_list_file.h"
#include "records/client_info.h"
#include "records/current_language.h"
#include "records/uninst_info.h"
#include "support/core/wide_text.h"
#include "support/files/file_replacement.h"
#include "support/files/file_size.h"
#include "support/system/process_control.h"
#include "support/system/run_log.h"
#include "support/system/user_question.h"
#include "support/text/path_text.h"
#include "support/text/system_error_text.h"
#include "uninstaller/installed_files_removal.h"
#include "uninstaller/self_removal.h"
#include "uninstaller/uninstall_texts.h"

namespace {

// Where the registered install of the product is, seen from folder.
enum class Registration { kHere, kElsewhere, kNone };

Registration FindRegistration(const IClientInfo& product, const char16_t* folder) {
  char16_t registered[kPathCapacity];
  if (!ReadInstalledFolder(product, registered)) return Registration::kNone;
  return CompareStringOrdinal(AsWide(registered), -1, AsWide(folder), -1, TRUE) == CSTR_EQUAL
             ? Registration::kHere
             : Registration::kElsewhere;
}

int Tell(const std::u16string& text, unsigned flags) {
  return AskUser(nullptr, text.c_str(), Text(TextKey::kInstallCaption).c_str(), flags);
}

// Replaces the list at path by entries, so that a run cut off while it writes leaves the list
// as it was, never a torn one that the next run would refuse.
bool SaveEntries(const std::vector<std::u16string>& entries, const char16_t* path) {
  CUninstInfo list;
  for (const std::u16string& entry : entries) list.Add(entry.c_str(), -1);
  return ReplaceFileBy(path, [&list](const char16_t* fresh) { return list.SaveToFile(fresh); });
}

}  // namespace

int RunUninstall(IClientInfo& product, bool silent) {
  char16_t folder[kPathCapacity];
  char16_t listPath[kPathCapacity];
  wchar_t self[MAX_PATH];
  const DWORD selfLength = GetModuleFileNameW(nullptr, self, MAX_PATH);
  if (selfLength == 0 || selfLength >= MAX_PATH || !GetModuleFolder(folder, nullptr) ||
      !UninstallListPath(folder, listPath)) {
    return kExitNotRemoved;
  }
  const char16_t* name = product.GetName().Units();
  product.SetInstallFolder(folder);
  // An install or update killed in this folder is undone first, so that the list and the
  // registration read below are those of a whole version.
  if (!IsRecovered(RecoverInstallFolder(product, folder))) {
    if (!silent) Tell(UninstallBusyText(name), MB_OK | MB_ICONWARNING);
    return kExitAnotherRunGoing;
  }
  CUninstInfo list;
  uint64_t listSize = 0;
  const bool listThere = GetFileSize(listPath, &listSize);
  const bool listed = listThere && list.LoadFromFile(listPath);
  if (listThere && !listed) {
    // Without the list nothing can be told apart from what the user keeps there: the list and
    // the registration stay for a later run.
    LogLine(u"uninst.dat is damaged: nothing removed");
    if (!silent) Tell(DamagedListText(name), MB_OK | MB_ICONERROR);
    return kExitEntriesLeft;
  }
  const Registration registration = FindRegistration(product, folder);
  if (!listed && registration != Registration::kHere) {
    if (!silent) Tell(NothingToUninstallText(name), MB_OK | MB_ICONINFORMATION);
    return kExitNotRemoved;
  }
  if (!silent && Tell(UninstallQuestionText(name), MB_YESNO | MB_ICONQUESTION) != IDYES) {
    return kExitCancelled;
  }
  if (!EndRunningClient(nullptr, product, folder, ClientTask::kUninstall, !silent)) {
    return kExitCancelled;
  }

  const std::vector<std::u16string> left = RemoveInstalledFiles(list, folder, AsUtf16(self));
  if (!left.empty()) {
    // The registration stays with what is left, so that the uninstall entry still finds it. A
    // list that cannot be rewritten stays whole, naming what is gone too: the next run passes
    // over that.
    if (!SaveEntries(left, listPath)) {
      LogLine(u"not rewritten: " + std::u16string(listPath) + u": " +
              SystemErrorText(GetLastError()));
    }
    // Each named with the programs that hold it, where the system can tell; the log gives the
    // whole path.
    std::vector<std::u16string> named;
    for (const std::u16string& entry : left) {
      const std::u16string path = folder + entry;
      const std::u16string held = FileHolderText(path.c_str());
      const std::u16string holders = held.empty() ? u"" : u" (" + held + u")";
      named.push_back(entry + holders);
      LogLine(u"not removed: " + path + holders);
    }
    if (!silent) Tell(EntriesLeftText(named), MB_OK | MB_ICONWARNING);
    return kExitEntriesLeft;
  }
  // Unregistered also when no product key is left: a run cut off after removing it left the
  // rest of the registration, which belongs to no install.
  if (registration != Registration::kElsewhere) {
    DeleteTempUpdater(product);
    const std::vector<std::u16string> notRemoved = Unregister(product);
    if (!notRemoved.empty()) {
      // The list, this program and the product key stay, so that running it again finishes.
      if (!silent) Tell(RegistrationLeftText(notRemoved), MB_OK | MB_ICONWARNING);
      return kExitEntriesLeft;
    }
  }
  if (!silent) Tell(UninstalledText(name), MB_OK | MB_ICONINFORMATION);
  // Last of all: the copy that removes this file, and then the list, waits for the program to
  // end. Until then a run cut off finds the list and finishes.
  const LeftAfterExit afterExit = RemoveAfterExit(product, AsUtf16(self));
  if (!silent && !afterExit.stays.empty()) {
    Tell(EntriesLeftText(afterExit.stays), MB_OK | MB_ICONWARNING);
  }
  // What waits for the next start of Windows is removed only then: until then the machine
  // holds part of the product.
  return afterExit.atRestart ? kExitRemovedAtRestart : kExitRemoved;
}
