#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "records/update_info_trust.h"
#include "tests/helpers/journal_test_target.h"
#include "updater/update_edge.h"

// The updater's edge without Windows. The product key is a key of machine's registry in memory
// (journal_test_target.h), where a test records what an install left (but the folder, which is
// set apart, so that the states of two runs compare) and the update records its list. The
// published list arrives as the test sets its bytes and how the key judged its signature, and is
// taken as the real fetch takes it; the person answers as set. The engine puts each listed file
// in place through the journal, a file holding the item's URL, until the file set to fail, and
// moves aside what the list deletes; it raises the run's time limit by its list, as the real one
// does. What the updater asked and told is kept.
class FakeUpdateEdge : public IUpdateEdge {
 public:
  static const std::u16string kProductKey;
  static const std::u16string kUninstallKey;

  // What arrives and answers.
  std::u16string installedFolder;  // ending with "\"; empty: none recorded
  bool listArrives = true;
  std::string listBytes;
  ListSignatureCheck signature = ListSignatureCheck::kNoKey;
  bool folderBusy = false;  // another run holds the folder's journal
  bool answersYes = true;
  bool clientEnds = true;
  std::u16string failingFile;  // a listed file the engine cannot put in place
  // What outlasts a silent run's time limit: the fetch of the list, or the engine once its files
  // are in place. It moves the clock past the bound and waits for the run's stop.
  enum class Outlasting { kNothing, kListFetch, kEngine };
  Outlasting outlasting = Outlasting::kNothing;
  std::atomic<int64_t> uptimeSecond{0};
  JournalTestTarget machine;

  // What the updater asked, told and kept, in order.
  std::vector<std::u16string> asked;
  std::vector<std::u16string> told;
  std::vector<std::u16string> keptDownloads;  // listed files whose downloads an undone run keeps

  // A text value of the product key, as an install records it.
  void Record(const char16_t* name, const std::u16string& text);
  // A text value of key; "<missing>" when there is none.
  std::u16string Recorded(const char16_t* name, const std::u16string& key = kProductKey);

  bool ReadInstalledFolder(const IClientInfo& product, char16_t* folder) override;
  std::u16string ReadInstalledVersion(const IClientInfo& product) override;
  bool IsRecordedDigest(const IClientInfo& product, const char16_t* digest) override;
  bool FindRegistrationPlaces(const IClientInfo& product, RegistrationPlaces* places) override;
  JournalRecovery RecoverFolder(const IClientInfo& product, const char16_t* folder) override;
  int64_t UptimeSecond() override { return uptimeSecond; }
  bool FetchPublishedList(const IClientInfo& product, const char16_t* floorVersion,
                          PublishedList* list, const std::atomic<bool>* stop) override;
  bool EndRunningClient(const IClientInfo&, const char16_t*) override { return clientEnds; }
  bool Ask(const std::u16string& question) override;
  void Tell(const std::u16string& text, UpdateNotice) override { told.push_back(text); }
  IJournalTarget& JournalTarget() override { return machine; }
  InstallOutcome FollowList(const char16_t* folder, const IUpdateInfo& list, const InstallRun& run,
                            std::function<bool(const char16_t* file)> keepDownloadOf) override;

 private:
  // Moves the clock past boundMs and waits for stop, ten seconds at most.
  void OutlastTheBound(uint64_t boundMs, const std::atomic<bool>* stop);
};
