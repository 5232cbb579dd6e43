#include "tests/helpers/fake_update_edge.h"

#include <chrono>
#include <fstream>
#include <thread>

#include "install/run_time_limit.h"

#include "product/registry_values.h"
#include "product/uninstall_list_file.h"
#include "records/uninst_info.h"
#include "records/update_info.h"
#include "support/files/entry_path.h"
#include "support/files/filesystem_path.h"
#include "support/text/path_text.h"
#include "support/text/utf8.h"

const std::u16string FakeUpdateEdge::kProductKey = u"Software\\UpdateTestCompany\\UpdateTest";
const std::u16string FakeUpdateEdge::kUninstallKey =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\UpdateTestCompanyUpdateTest";

void FakeUpdateEdge::Record(const char16_t* name, const std::u16string& text) {
  machine.WriteValue(kProductKey, name, TextValue(text));
}

std::u16string FakeUpdateEdge::Recorded(const char16_t* name, const std::u16string& key) {
  RegistryValue value;
  if (!machine.ReadValue(key, name, &value)) return u"<missing>";
  std::u16string text;
  for (size_t i = 0; i + 1 < value.bytes.size(); i += 2) {
    const char16_t unit = static_cast<char16_t>(value.bytes[i] | value.bytes[i + 1] << 8);
    if (unit == 0) break;
    text.push_back(unit);
  }
  return text;
}

bool FakeUpdateEdge::ReadInstalledFolder(const IClientInfo&, char16_t* folder) {
  if (installedFolder.empty() || installedFolder.size() >= static_cast<size_t>(kPathCapacity)) {
    return false;
  }
  folder[installedFolder.copy(folder, installedFolder.size())] = 0;
  return true;
}

std::u16string FakeUpdateEdge::ReadInstalledVersion(const IClientInfo&) {
  const std::u16string recorded = Recorded(u"version");
  return recorded == u"<missing>" ? u"" : recorded;
}

bool FakeUpdateEdge::IsRecordedDigest(const IClientInfo&, const char16_t* digest) {
  return Recorded(u"md5") == digest;
}

bool FakeUpdateEdge::FindRegistrationPlaces(const IClientInfo&, RegistrationPlaces* places) {
  places->productKey = kProductKey;
  places->uninstallKey = kUninstallKey;
  return true;
}

JournalRecovery FakeUpdateEdge::RecoverFolder(const IClientInfo&, const char16_t* folder) {
  if (folderBusy) return JournalRecovery::kBusy;
  return RecoverJournal(machine, folder, kInstallJournalName,
                        {{{folder, u""}}, {{kProductKey, u""}, {kUninstallKey, u""}}});
}

void FakeUpdateEdge::OutlastTheBound(uint64_t boundMs, const std::atomic<bool>* stop) {
  uptimeSecond += static_cast<int64_t>(boundMs / 1000);
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!stop->load() && std::chrono::steady_clock::now() < giveUp) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

bool FakeUpdateEdge::FetchPublishedList(const IClientInfo&, const char16_t* floorVersion,
                                        PublishedList* list, const std::atomic<bool>* stop) {
  if (outlasting == Outlasting::kListFetch) {
    OutlastTheBound(kListsAllowanceMs, stop);
    return false;
  }
  return listArrives &&
         TakePublishedList(u"http://updates.test/update.xml",
                           reinterpret_cast<const uint8_t*>(listBytes.data()),
                           static_cast<uint32_t>(listBytes.size()), signature, floorVersion,
                           list);
}

bool FakeUpdateEdge::Ask(const std::u16string& question) {
  asked.push_back(question);
  return answersYes;
}

InstallOutcome FakeUpdateEdge::FollowList(
    const char16_t* folder, const IUpdateInfo& list, const InstallRun& run,
    std::function<bool(const char16_t* file)> keepDownloadOf) {
  if (run.timeLimit != nullptr) run.timeLimit->AllowList(list);
  CChangeJournal& journal = *run.journal;
  InstallOutcome outcome;
  for (int i = 0; i < list.Count() && !outcome.Failed(); ++i) {
    const UpdateItem& item = *list.Get(i);
    const char16_t* file = item.file.c_str();
    char16_t path[kPathCapacity];
    if (!JoinEntryPath(folder, file, path)) {
      outcome.Fail(file);
      break;
    }
    const std::u16string full(path);
    if (item.action == UpdateItem::kActionDelete) {
      if (!journal.RemovePath(full)) outcome.Fail(file, journal.FailureReason().c_str());
      continue;
    }
    if (keepDownloadOf(file)) keptDownloads.push_back(item.file);
    if (item.file == failingFile) {
      outcome.Fail(file, u"held by another program");
      break;
    }
    const std::string bytes = Utf16ToUtf8(item.url.c_str());
    const bool placed =
        journal.CreateFolder(full.substr(0, full.rfind(u'\\') + 1)) &&
        journal.PlaceFile(full, [&bytes](const std::u16string& staging) {
          std::ofstream file(ToFilesystemPath(staging.c_str()), std::ios::binary);
          file << bytes;
          return static_cast<bool>(file);
        });
    if (!placed) {
      outcome.Fail(file, journal.FailureReason().c_str());
    } else {
      run.Installed(file);
    }
  }
  if (outlasting == Outlasting::kEngine && run.timeLimit != nullptr) {
    OutlastTheBound(run.timeLimit->BoundMs(), run.stop);
  }
  return run.Stopped() ? InstallOutcome::Stopped() : outcome;
}
