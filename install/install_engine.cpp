#include "install/install_engine.h"

#include <string>
#include <vector>

#include "install/run_time_limit.h"
#include "product/listed_files.h"
#include "records/update_info.h"
#include "support/crypto/file_verifier.h"
#include "product/installer_names.h"
#include "support/files/entry_path.h"
#include "support/files/file_stream.h"
#include "support/http/file_download.h"
#include "support/http/url_parts.h"
#include "support/journal/change_journal.h"
#include "support/system/run_log.h"
#include "support/text/path_text.h"

namespace {

// The bytes an entry counts for in the progress: a size below zero counts for none.
uint64_t CountedBytes(int64_t size) { return size > 0 ? static_cast<uint64_t>(size) : 0; }

}  // namespace

void CInstall::OnReceived(uint64_t staged, uint64_t, void* self) {
  auto* engine = static_cast<CInstall*>(self);
  engine->run_.Report(engine->total_, engine->done_ + staged, nullptr);
}

InstallOutcome CInstall::InstallList(const char16_t* folder, const IUpdateInfo* list) {
  if (folder == nullptr || list == nullptr || run_.journal == nullptr) {
    return InstallOutcome::NotStarted();
  }
  InstallOutcome outcome;
  // A list naming one of the installer's own files would have it replace or delete that file:
  // such a list installs nothing.
  for (int i = 0; i < list->Count() && !outcome.Failed(); ++i) {
    const UpdateItem* entry = list->Get(i);
    if (entry != nullptr && MeetsInstallerFile(entry->file.c_str())) {
      outcome.Fail(entry->file.c_str(), kInstallerFileNameReason);
    }
  }
  if (run_.timeLimit != nullptr) run_.timeLimit->AllowList(*list);
  done_ = 0;
  total_ = CountedBytes(list->TotalSize());
  run_.Report(total_, done_, nullptr);
  // First every file is brought beside its place; the installed files are told in list order
  // once they are all in place.
  std::vector<Staged> staged(static_cast<size_t>(list->Count()), Staged::kInPlace);
  for (int i = 0; i < list->Count() && !outcome.Failed(); ++i) {
    if (run_.Stopped()) return InstallOutcome::Stopped();
    const UpdateItem* entry = list->Get(i);
    if (entry == nullptr || entry->action != UpdateItem::kActionUpdate) continue;
    // The name is shown as the entry begins; it is listed as installed only once it is in place.
    run_.Report(total_, done_, entry->file.c_str());
    std::u16string why;
    staged[static_cast<size_t>(i)] = Stage(folder, *entry, &why);
    if (staged[static_cast<size_t>(i)] == Staged::kFailed) {
      if (run_.Stopped()) return InstallOutcome::Stopped();
      outcome.Fail(entry->file.c_str(), why.c_str());
    }
    done_ += CountedBytes(entry->size);
    run_.Report(total_, done_, nullptr);
  }
  for (int i = 0; i < list->Count() && !outcome.Failed(); ++i) {
    const UpdateItem* entry = list->Get(i);
    if (entry == nullptr) continue;
    const bool update = entry->action == UpdateItem::kActionUpdate;
    if (update && staged[static_cast<size_t>(i)] == Staged::kInPlace) {
      run_.Installed(entry->file.c_str());
    } else if (!Apply(folder, *entry)) {
      outcome.Fail(entry->file.c_str(), run_.journal->FailureReason().c_str());
    } else if (update) {
      run_.Installed(entry->file.c_str());
    }
  }
  done_ = total_;
  run_.Report(total_, done_, nullptr);
  return outcome;
}

CInstall::Staged CInstall::Stage(const char16_t* folder, const UpdateItem& entry,
                                 std::u16string* why) {
  if (entry.file.empty() || entry.url.empty()) return Staged::kFailed;
  // The list is data: a name that would land outside the folder is refused.
  char16_t path[kPathCapacity];
  char16_t staging[kPathCapacity];
  if (!JoinEntryPath(folder, entry.file.c_str(), path) || run_.journal->CrossesLink(folder, path) ||
      !StagingPathFor(path, staging)) {
    return Staged::kFailed;
  }
  if (VerifyUpdateItem(folder, entry)) {
    // What an earlier run left half way is of no more use.
    RemoveFile(staging);
    return Staged::kInPlace;
  }
  const std::u16string full(path);
  if (entry.size <= 0) return Staged::kFailed;
  if (!run_.journal->CreateFolder(full.substr(0, full.rfind(u'\\') + 1)) ||
      (!(keepDownload_ && keepDownload_(entry.file.c_str())) && !run_.journal->NoteNewFile(staging))) {
    *why = run_.journal->FailureReason();
    return Staged::kFailed;
  }
  FixedWString<1024> request;
  if (!MakeUncachedUrl(entry.url.c_str(), &request)) return Staged::kFailed;
  // A transfer cut off leaves what arrived for the next run to resume.
  CFileDownload download(source_);
  download.SetProgress(&CInstall::OnReceived, this);
  download.SetStopRequest(run_.stop);
  const FileVerifier matchesItem = [&entry](const char16_t* file) {
    return FileMatchesUpdateItem(entry, file);
  };
  const DownloadResult result =
      download.Fetch(request.Units(), staging, static_cast<uint64_t>(entry.size), matchesItem);
  if (result == DownloadResult::kDone) return Staged::kReady;
  if (result == DownloadResult::kStopped) return Staged::kFailed;
  *why = download.Failure().Describe();
  LogLine(u"download failed: " + entry.url + u": " + *why);
  return Staged::kFailed;
}

bool CInstall::Apply(const char16_t* folder, const UpdateItem& entry) {
  char16_t path[kPathCapacity];
  if (entry.action == UpdateItem::kActionDelete) {
    // What is already gone is what the list asks for.
    return !entry.file.empty() && JoinEntryPath(folder, entry.file.c_str(), path) &&
           !run_.journal->CrossesLink(folder, path) && run_.journal->RemovePath(path);
  }
  char16_t staging[kPathCapacity];
  return JoinEntryPath(folder, entry.file.c_str(), path) && StagingPathFor(path, staging) &&
         run_.journal->PlaceReadyFile(path, staging);
}
