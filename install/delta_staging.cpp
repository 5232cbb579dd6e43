#include "install/delta_staging.h"

#include "product/listed_files.h"
#include "records/update_info.h"
#include "support/crypto/sha256.h"
#include "support/delta/file_patch.h"
#include "support/files/file_stream.h"
#include "support/http/url_parts.h"

const ItemDelta* DeltaForInstalledFile(const UpdateItem& entry, const char16_t* path) {
  if (entry.deltas.empty()) return nullptr;
  char16_t installed[kSha256HexDigits + 1];
  if (!Sha256HexOfFile(installed, path)) return nullptr;
  for (const ItemDelta& delta : entry.deltas) {
    if (SameSha256Text(delta.from, installed)) return &delta;
  }
  return nullptr;
}

DeltaStaging StageFromDelta(IHttpSource& source, const UpdateItem& entry, const ItemDelta& delta,
                            const char16_t* path, const char16_t* staging,
                            const char16_t* patchPath, FileProgress progress, void* context,
                            const std::atomic<bool>* stop) {
  DeltaStaging staged;
  FixedWString<1024> request;
  if (!MakeUncachedUrl(PatchUrlOf(entry.url, delta.from).c_str(), &request)) {
    staged.why = u"its URL is too long";
    return staged;
  }
  CFileDownload download(source);
  download.SetProgress(progress, context);
  download.SetStopRequest(stop);
  const FileVerifier matchesDelta = [&delta](const char16_t* file) {
    char16_t digest[kSha256HexDigits + 1];
    return Sha256HexOfFile(digest, file) && SameSha256Text(digest, delta.sha256);
  };
  const DownloadResult result = download.Fetch(request.Units(), patchPath,
                                               static_cast<uint64_t>(delta.size), matchesDelta);
  if (result == DownloadResult::kStopped) {
    staged.result = DeltaStaging::Result::kStopped;
    return staged;
  }
  if (result != DownloadResult::kDone) {
    RemoveFile(patchPath);
    staged.why = u"the patch did not download: " + download.Failure().Describe();
    return staged;
  }
  // What an earlier run left at staging is of no use to a patch, which makes the file anew.
  RemoveFile(staging);
  const bool applied = ApplyFilePatch(path, patchPath, staging, static_cast<uint64_t>(entry.size),
                                      &staged.why);
  RemoveFile(patchPath);
  if (applied && !FileMatchesUpdateItem(entry, staging)) {
    RemoveFile(staging);
    staged.why = u"the patched file is not the listed file";
    return staged;
  }
  if (applied) staged.result = DeltaStaging::Result::kStaged;
  return staged;
}
