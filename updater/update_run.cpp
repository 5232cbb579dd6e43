#include "updater/update_run.h"

#include <atomic>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "install/install_outcome.h"
#include "install/install_run.h"
#include "install/run_time_limit.h"
#include "product/folder_recovery.h"
#include "product/installed_size.h"
#include "product/published_list.h"
#include "product/registration_steps.h"
#include "product/registry_values.h"
#include "product/uninstall_list_file.h"
#include "records/client_info.h"
#include "records/uninst_info.h"
#include "records/update_info.h"
#include "records/update_info_trust.h"
#include "support/files/file_size.h"
#include "support/journal/change_journal.h"
#include "support/system/run_log.h"
#include "support/text/path_text.h"
#include "updater/uninstall_list_update.h"
#include "updater/update_edge.h"
#include "updater/update_texts.h"

namespace {

// The uninstall list at path, as the update leaves the folder, placed through journal.
bool RecordUninstallList(CChangeJournal& journal, const char16_t* path, CUninstInfo& updated) {
  return journal.PlaceFile(path, [&updated](const std::u16string& staging) {
    return updated.SaveToFile(staging.c_str());
  });
}

// The list's digest and version, and the install's size, as the registration keeps them.
bool RecordList(IUpdateEdge& edge, CChangeJournal& journal, const IClientInfo& product,
                const char16_t* digest, const char16_t* version, const IUninstInfo& installed) {
  RegistrationPlaces places;
  if (!edge.FindRegistrationPlaces(product, &places)) return false;
  std::vector<CChangeJournal::ValueChange> changes = {
      {places.productKey, u"md5", TextValue(digest)},
      {places.uninstallKey, u"EstimatedSize",
       NumberValue(InstalledKilobytes(product.GetInstallFolder().Units(), installed))}};
  if (version[0] != 0) {
    changes.push_back({places.productKey, u"version", TextValue(version)});
    changes.push_back({places.uninstallKey, u"DisplayVersion", TextValue(version)});
  }
  return journal.SetValues(changes);
}

// Why no list is followed, as the person is told: the version of one the vendor signed, a
// signature the program's key refuses, or no list at all.
std::u16string NotFollowedText(const char16_t* name, const PublishedList& published,
                               const std::u16string& installedVersion) {
  switch (published.trust.version) {
    case ListVersionCheck::kOlder:
      return OlderListText(name, published.items.GetVersion(), installedVersion.c_str());
    case ListVersionCheck::kListUnversioned:
      return UnversionedListText(name, installedVersion.c_str());
    default:
      break;
  }
  return published.refused ? ListNotTrustedText(name) : NoUpdateListText(name);
}

// The names list holds, looked up at once however many there are.
std::unordered_set<std::u16string_view> NamesOf(const IUninstInfo& list) {
  std::unordered_set<std::u16string_view> names;
  for (int i = 0; i < list.Count(); ++i) names.insert(list.Get(i));
  return names;
}

}  // namespace

int RunUpdate(IClientInfo& product, bool silent, IUpdateEdge& edge) {
  // Nobody watches a silent run: held to a bound on its whole time, it stops past it as a cancel
  // would, and what it began is undone.
  std::atomic<bool> stop{false};
  std::unique_ptr<CRunTimeLimit> timeLimit;
  if (silent) {
    timeLimit = std::make_unique<CRunTimeLimit>(
        stop, [&edge] { return static_cast<uint64_t>(edge.UptimeSecond()) * 1000; });
  }
  const char16_t* name = product.GetName().Units();
  char16_t folder[kPathCapacity];
  char16_t listPath[kPathCapacity];
  if (!edge.ReadInstalledFolder(product, folder) || !UninstallListPath(folder, listPath)) {
    if (!silent) edge.Tell(NotInstalledText(name), UpdateNotice::kWarning);
    return kExitNotUpdated;
  }
  product.SetInstallFolder(folder);
  // An install or update killed in this folder is undone first: the update starts from a whole
  // version.
  if (!IsRecovered(edge.RecoverFolder(product, folder))) {
    if (!silent) edge.Tell(BusyText(name), UpdateNotice::kWarning);
    return kExitAnotherRunGoing;
  }
  // A list the vendor signed is not followed below the installed version: an older one is an
  // old list served again.
  const std::u16string installedVersion = edge.ReadInstalledVersion(product);
  PublishedList published;
  if (!edge.FetchPublishedList(product, installedVersion.c_str(), &published, &stop) ||
      !published.readable) {
    if (timeLimit != nullptr && timeLimit->Expired()) {
      LogLine(u"the update " + timeLimit->ExpiredText() + u": nothing changed");
      return kExitUpdateFailed;
    }
    if (!silent) {
      edge.Tell(NotFollowedText(name, published, installedVersion), UpdateNotice::kWarning);
    }
    return kExitNotUpdated;
  }
  const CUpdateInfo& list = published.items;
  const bool upToDate = edge.IsRecordedDigest(product, published.digest.Units());
  if (!silent) {
    if (!upToDate && !edge.Ask(UpdateQuestionText(name, list.GetVersion()))) {
      return kExitCancelled;
    }
    if (!edge.EndRunningClient(product, folder)) return kExitCancelled;
  }

  CUninstInfo current;
  uint64_t listSize = 0;
  if (GetFileSize(listPath, &listSize) && !current.LoadFromFile(listPath)) {
    // What arrived could never be removed: nothing is updated.
    InstallOutcome outcome;
    outcome.Fail(kUninstallListName);
    if (!silent) edge.Tell(UpdateFailedText(outcome, RollbackResult()), UpdateNotice::kWarning);
    return kExitUpdateFailed;
  }
  CChangeJournal journal(edge.JournalTarget());
  if (!journal.Begin(folder, kInstallJournalName)) {
    LogLine(u"the install folder cannot be written: " + journal.Failure());
    if (!silent) edge.Tell(NotInstalledText(name), UpdateNotice::kWarning);
    return kExitNotUpdated;
  }
  // Every changed file arrives and is checked beside its place first; only then do they all take
  // their places, under the journal, so that a cut-off update leaves the old version whole.
  // Downloads of files the client has stay for the next run to go on from.
  CUninstInfo installed;
  InstallRun run;
  run.installed = &installed;
  run.stop = &stop;
  run.journal = &journal;
  run.timeLimit = timeLimit.get();
  const std::unordered_set<std::u16string_view> currentNames = NamesOf(current);
  InstallOutcome outcome =
      edge.FollowList(folder, list, run, [&currentNames](const char16_t* file) {
        return currentNames.count(file) != 0;
      });
  // Only the time limit stops an update.
  if (outcome.ending == InstallOutcome::Ending::kStopped) {
    LogLine(u"the update " + timeLimit->ExpiredText() + u": " + UndoneForLog(journal.Rollback()));
    return kExitUpdateFailed;
  }
  std::vector<std::u16string> removed;
  for (int i = 0; i < list.Count(); ++i) {
    const UpdateItem* item = list.Get(i);
    if (item->action == UpdateItem::kActionDelete) removed.push_back(item->file);
  }
  CUninstInfo after;
  UpdateUninstallList(current, installed, removed, after);
  if (!outcome.Failed() &&
      !(RecordUninstallList(journal, listPath, after) &&
        RecordList(edge, journal, product, published.digest.Units(), list.GetVersion(), after) &&
        journal.Commit())) {
    outcome.Fail(journal.FailedWhat().c_str(), journal.FailureReason().c_str());
  }
  RollbackResult undone;
  if (outcome.Failed()) {
    // The client stays as it was, with the digest it had: the next check finds it out of date.
    undone = journal.Rollback();
    LogLine(u"update failed at " + std::u16string(outcome.firstFailed.Units()) + u": " +
            UndoneForLog(undone));
  } else {
    LogLine(u"updated to " + std::u16string(list.GetVersion()));
  }
  if (!silent) {
    edge.Tell(outcome.Failed() ? UpdateFailedText(outcome, undone)
              : upToDate       ? UpToDateText(name)
                               : UpdatedText(name),
              outcome.Failed() ? UpdateNotice::kWarning : UpdateNotice::kInformation);
  }
  return outcome.Failed() ? kExitUpdateFailed : kExitUpdated;
}
