#include "install/install_engine.h"

#include <windows.h>

#include "product/uninstall_removal.h"
#include "records/update_info.h"
#include "support/entry_path.h"
#include "support/file_replacement.h"
#include "support/folder_tree.h"
#include "support/internet.h"
#include "support/link_check.h"
#include "support/md5.h"
#include "support/path_text.h"
#include "support/url_parts.h"

namespace {

// What arrived is what the list promised: the size and the digest.
bool MatchesItem(const CInternet& internet, const UpdateItem& entry) {
  char16_t digest[33] = {};
  return internet.GetSize() == static_cast<uint32_t>(entry.size) && entry.size > 0 &&
         Md5HexOfMemory(digest, internet.GetData(), internet.GetSize()) &&
         SameDigestText(digest, entry.md5);
}

}  // namespace

void CInstall::OnReceived(int32_t, uint32_t received, void* self) {
  auto* engine = static_cast<CInstall*>(self);
  engine->run_.Report(engine->total_, engine->done_ + received, nullptr);
}

bool CInstall::InstallFromUrl(const char16_t* folder, const char16_t* url) {
  if (folder == nullptr || url == nullptr || folder[0] == 0 || url[0] == 0) return false;
  FixedWString<1024> request;
  if (!MakeUncachedUrl(url, &request)) return false;
  CInternet internet;
  internet.SetStopRequest(run_.stop);
  return internet.Download(request.Units()) &&
         InstallFromData(folder, internet.GetData(), internet.GetSize());
}

bool CInstall::InstallFromData(const char16_t* folder, const uint8_t* bytes, uint32_t count) {
  if (folder == nullptr || bytes == nullptr || count == 0) return false;
  Md5HexOfMemory(listDigest_, bytes, count);
  CUpdateInfo list;
  listVersion_.Clear();
  if (!list.ParseBytes(bytes, count)) return false;
  listVersion_.Assign(list.GetVersion());
  return InstallList(folder, &list);
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
  if (!JoinEntryPath(folder, entry->file, path) || CrossesLink(folder, path)) return false;
  if (VerifyUpdateItem(folder, *entry)) return true;
  if (!CreateParentFolder(path)) return false;
  FixedWString<1024> request;
  if (!MakeUncachedUrl(entry->url, &request)) return false;
  CInternet internet;
  internet.SetProgress(&CInstall::OnReceived, this);
  internet.SetStopRequest(run_.stop);
  // A short, long or altered download never replaces the file that is there, and a write cut
  // off half way leaves that file as it was.
  return internet.Download(request.Units()) && MatchesItem(internet, *entry) &&
         ReplaceWholeFile(path, internet.GetData(), internet.GetSize());
}
