#include "updater/update_run.h"

#include <windows.h>

#include <string>
#include <vector>

#include "install/install_checks.h"
#include "install/install_engine.h"
#include "install/install_outcome.h"
#include "product/installed_folder.h"
#include "product/product_keys.h"
#include "product/published_list.h"
#include "product/uninstall_list_file.h"
#include "product/uninstall_removal.h"
#include "records/client_info.h"
#include "records/uninst_info.h"
#include "records/update_info.h"
#include "support/entry_path.h"
#include "support/file_replacement.h"
#include "support/filesystem_path.h"
#include "support/link_check.h"
#include "support/path_text.h"
#include "support/user_question.h"
#include "updater/uninstall_list_update.h"
#include "updater/update_texts.h"

namespace {

int Tell(const std::u16string& text, unsigned flags) {
  return AskUser(nullptr, text.c_str(), kInstallCaption, flags);
}

// Rewrites the uninstall list at path with added and without removed, in place of the old one only
// once it is whole.
bool RecordUninstallList(const char16_t* path, const IUninstInfo& added,
                         const std::vector<std::u16string>& removed) {
  CUninstInfo current;
  uint64_t size = 0;
  // A damaged list stays as it is: rewritten, it would lose what it still names.
  if (GetFileSize(path, &size) && !current.LoadFromFile(path)) return false;
  CUninstInfo updated;
  UpdateUninstallList(current, added, removed, updated);
  return ReplaceFileBy(path,
                       [&updated](const char16_t* fresh) { return updated.SaveToFile(fresh); });
}

void RecordList(const IClientInfo& product, const char16_t* digest, const char16_t* version) {
  const char16_t* company = product.GetCompany().Units();
  const char16_t* app = product.GetApp().Units();
  WriteProductValue(company, app, u"md5", digest, -1);
  if (version[0] == 0) return;
  WriteProductValue(company, app, u"version", version, -1);
  WriteUninstallValue(company, app, u"DisplayVersion", version, -1);
}

}  // namespace

int RunUpdate(IClientInfo& product, bool silent) {
  const char16_t* name = product.GetName().Units();
  char16_t folder[kPathCapacity];
  char16_t listPath[kPathCapacity];
  if (!ReadInstalledFolder(product, folder) || !UninstallListPath(folder, listPath)) {
    if (!silent) Tell(NotInstalledText(name), MB_OK | MB_ICONWARNING);
    return kExitNotUpdated;
  }
  product.SetInstallFolder(folder);
  PublishedList published;
  if (!FetchPublishedList(product, &published) || !published.readable) {
    if (!silent) Tell(NoUpdateListText(name), MB_OK | MB_ICONWARNING);
    return kExitNotUpdated;
  }
  const CUpdateInfo& list = published.items;
  const bool upToDate = IsRecordedDigest(product, published.digest.Units());
  if (!silent) {
    if (!upToDate &&
        Tell(UpdateQuestionText(name, list.GetVersion()), MB_YESNO | MB_ICONQUESTION) != IDYES) {
      return kExitNotUpdated;
    }
    if (!EndRunningClient(nullptr, product, folder, ClientTask::kUpdate, true)) {
      return kExitNotUpdated;
    }
  }

  // Named before they arrive, so that an update cut off half way leaves nothing the uninstaller
  // does not know of.
  // Only names the engine will put in place: a refused one would stay in the list for ever.
  CUninstInfo listed;
  for (int i = 0; i < list.Count(); ++i) {
    const UpdateItem* item = list.Get(i);
    char16_t path[kPathCapacity];
    if (item->action == UpdateItem::kActionUpdate && JoinEntryPath(folder, item->file, path) &&
        !CrossesLink(folder, path)) {
      listed.Add(item->file, -1);
    }
  }
  if (!RecordUninstallList(listPath, listed, {})) {
    // What arrived could never be removed: nothing is updated.
    InstallOutcome outcome;
    outcome.Fail(kUninstallListName);
    if (!silent) Tell(UpdateFailedText(outcome), MB_OK | MB_ICONWARNING);
    return kExitUpdateFailed;
  }
  CInstall engine;
  engine.InstallList(folder, &list);
  InstallOutcome outcome = engine.Outcome();

  std::vector<std::u16string> removed;
  for (int i = 0; i < list.Count(); ++i) {
    const UpdateItem* item = list.Get(i);
    if (item->action == UpdateItem::kActionDelete && IsEntryGone(folder, item->file)) {
      removed.push_back(item->file);
    }
  }
  if (!RecordUninstallList(listPath, CUninstInfo(), removed)) {
    outcome.Fail(kUninstallListName);
  }
  // A client with entries missing keeps the digest it had, so the next check finds it out of date.
  if (!outcome.Failed()) RecordList(product, published.digest.Units(), list.GetVersion());
  if (!silent) {
    Tell(outcome.Failed() ? UpdateFailedText(outcome)
         : upToDate       ? UpToDateText(name)
                          : UpdatedText(name),
         MB_OK | (outcome.Failed() ? MB_ICONWARNING : MB_ICONINFORMATION));
  }
  return outcome.Failed() ? kExitUpdateFailed : kExitUpdated;
}
