#include "install/install_engine.h"

#include <windows.h>

#include "product/uninstall_removal.h"
#include "records/update_info.h"
#include "support/entry_path.h"
#include "support/file_download.h"
#include "support/file_replacement.h"
#include "support/file_stream.h"
#include "support/file_verifier.h"
#include "support/folder_tree.h"
#include "support/http_get.h"
#include "support/internet.h"
#include "support/link_check.h"
#include "support/md5.h"
#include "support/path_text.h"
#include "support/url_parts.h"

void CInstall::OnReceived(uint32_t staged, uint32_t, void* self) {
  auto* engine = static_cast<CInstall*>(self);
  engine->run_.Report(engine->total_, engine->done_ + staged, nullptr);
}

bool CInstall::InstallList(const char16_t* folder, const IUpdateInfo* list) {
  if (folder == nullptr || list == nullptr) return false;
  outcome_ = InstallOutcome();
  run_.outcome = &outcome_;
  done_ = 0;
  total_ = static_cast<uint32_t>(list->TotalSize());
  run_.Report(total_, done_, nullptr);
  for (int i = 0; i < list->Count(); ++i) {
    if (run_.Stopped()) return false;
    const UpdateItem* entry = list->Get(i);
    if (entry == nullptr) continue;
    // The name is shown as the entry begins; it is listed as installed only once it is in place.
    run_.Report(total_, done_, entry->file);
    if (!InstallEntry(folder, entry)) {
      run_.Failed(entry->file);
    } else if (entry->action == UpdateItem::kActionUpdate) {
      run_.Installed(entry->file);
    }
    done_ += static_cast<uint32_t>(entry->size);
    run_.Report(total_, done_, nullptr);
  }
  done_ = total_;
  run_.Report(total_, done_, nullptr);
  return true;
}

bool CInstall::InstallEntry(const char16_t* folder, const UpdateItem* entry) {
  if (folder == nullptr || entry == nullptr) return false;
  if (entry->action == UpdateItem::kActionDelete) {
    // What is already gone is what the list asks for.
    return entry->file[0] != 0 &&
           (RemoveInstalledEntry(folder, entry->file) || IsEntryGone(folder, entry->file));
  }
  if (entry->action != UpdateItem::kActionUpdate) return true;
  if (entry->file[0] == 0 || entry->url[0] == 0) return false;
  // The list is data: a name that would land outside the folder is refused.
  char16_t path[kPathCapacity];
  char16_t staging[kPathCapacity];
  if (!JoinEntryPath(folder, entry->file, path) || CrossesLink(folder, path) ||
      !StagingPathFor(path, staging)) {
    return false;
  }
  if (VerifyUpdateItem(folder, *entry)) {
    // What an earlier run left half way is of no more use.
    RemoveFile(staging);
    return true;
  }
  if (entry->size <= 0 || !CreateParentFolder(path)) return false;
  FixedWString<1024> request;
  if (!MakeUncachedUrl(entry->url, &request)) return false;
  // The file arrives beside the old one and takes its place only once whole and checked, so an
  // update cut off anywhere leaves the old file; a transfer cut off leaves what arrived for the
  // next run to resume.
  CHttpGet source;
  CFileDownload download(source);
  download.SetProgress(&CInstall::OnReceived, this);
  download.SetStopRequest(run_.stop);
  const FileVerifier matchesItem = [entry](const char16_t* file) {
    return FileMatchesUpdateItem(*entry, file);
  };
  return download.Fetch(request.Units(), staging, static_cast<uint32_t>(entry->size),
                        matchesItem) == DownloadResult::kDone &&
         MoveFileIntoPlace(staging, path);
}
