#include "updater/update_edge_windows.h"

#include <windows.h>

#include <utility>

#include "install/install_checks.h"
#include "install/install_engine.h"
#include "product/folder_recovery.h"
#include "product/installed_folder.h"
#include "product/product_keys.h"
#include "records/client_info.h"
#include "records/current_language.h"
#include "support/http/http_get.h"
#include "support/system/user_question.h"

namespace {

// Room for the installed version the product key records, as the record keeps versions.
constexpr int kInstalledVersionUnits = 128;

}  // namespace

CWindowsUpdateEdge::CWindowsUpdateEdge(ListKey key, IJournalTarget& machine)
    : key_(std::move(key)), machine_(machine) {}

bool CWindowsUpdateEdge::ReadInstalledFolder(const IClientInfo& product, char16_t* folder) {
  return ::ReadInstalledFolder(product, folder);
}

std::u16string CWindowsUpdateEdge::ReadInstalledVersion(const IClientInfo& product) {
  char16_t installed[kInstalledVersionUnits] = {};
  if (!ReadProductValue(product.GetCompany().Units(), product.GetApp().Units(), u"version",
                        installed, kInstalledVersionUnits)) {
    installed[0] = 0;
  }
  return installed;
}

bool CWindowsUpdateEdge::IsRecordedDigest(const IClientInfo& product, const char16_t* digest) {
  return ::IsRecordedDigest(product, digest);
}

bool CWindowsUpdateEdge::FindRegistrationPlaces(const IClientInfo& product,
                                                RegistrationPlaces* places) {
  return ::FindRegistrationPlaces(product, places);
}

JournalRecovery CWindowsUpdateEdge::RecoverFolder(const IClientInfo& product,
                                                  const char16_t* folder) {
  return RecoverInstallFolder(product, folder);
}

int64_t CWindowsUpdateEdge::UptimeSecond() { return static_cast<int64_t>(GetTickCount64() / 1000); }

bool CWindowsUpdateEdge::FetchPublishedList(const IClientInfo& product,
                                            const char16_t* floorVersion, PublishedList* list,
                                            const std::atomic<bool>* stop) {
  return ::FetchPublishedList(product, key_, floorVersion, list, stop);
}

bool CWindowsUpdateEdge::EndRunningClient(const IClientInfo& product, const char16_t* folder) {
  return ::EndRunningClient(nullptr, product, folder, ClientTask::kUpdate, true);
}

bool CWindowsUpdateEdge::Ask(const std::u16string& question) {
  return AskUser(nullptr, question.c_str(), Text(TextKey::kInstallCaption).c_str(),
                 MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void CWindowsUpdateEdge::Tell(const std::u16string& text, UpdateNotice notice) {
  AskUser(nullptr, text.c_str(), Text(TextKey::kInstallCaption).c_str(),
          MB_OK | (notice == UpdateNotice::kWarning ? MB_ICONWARNING : MB_ICONINFORMATION));
}

InstallOutcome CWindowsUpdateEdge::FollowList(
    const char16_t* folder, const IUpdateInfo& list, const InstallRun& run,
    std::function<bool(const char16_t* file)> keepDownloadOf) {
  CInstall engine(HttpGetMaker(kDefaultConnections));
  engine.SetInstalledList(run.installed);
  engine.SetJournal(run.journal);
  engine.SetStopRequest(run.stop);
  engine.SetTimeLimit(run.timeLimit);
  engine.KeepDownloadsOf(std::move(keepDownloadOf));
  return engine.InstallList(folder, &list);
}
