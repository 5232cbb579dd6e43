#pragma once

#include "records/update_info_trust.h"
#include "updater/update_edge.h"

// The updater's edge on Windows: the product key, the recovery every program of the product
// makes first, the published list over WinINet judged with the key the program carries, the
// running client and the message boxes (captioned as every box of the product's programs), and
// the install engine.
class CWindowsUpdateEdge : public IUpdateEdge {
 public:
  // key: the vendor's public key the program carries; machine: what the journal acts on, which
  // outlives the edge.
  CWindowsUpdateEdge(ListKey key, IJournalTarget& machine);
  CWindowsUpdateEdge(const CWindowsUpdateEdge&) = delete;
  CWindowsUpdateEdge& operator=(const CWindowsUpdateEdge&) = delete;

  bool ReadInstalledFolder(const IClientInfo& product, char16_t* folder) override;
  std::u16string ReadInstalledVersion(const IClientInfo& product) override;
  bool IsRecordedDigest(const IClientInfo& product, const char16_t* digest) override;
  bool FindRegistrationPlaces(const IClientInfo& product, RegistrationPlaces* places) override;
  JournalRecovery RecoverFolder(const IClientInfo& product, const char16_t* folder) override;
  int64_t UptimeSecond() override;
  bool FetchPublishedList(const IClientInfo& product, const char16_t* floorVersion,
                          PublishedList* list, const std::atomic<bool>* stop) override;
  bool EndRunningClient(const IClientInfo& product, const char16_t* folder) override;
  bool Ask(const std::u16string& question) override;
  void Tell(const std::u16string& text, UpdateNotice notice) override;
  IJournalTarget& JournalTarget() override { return machine_; }
  InstallOutcome FollowList(const char16_t* folder, const IUpdateInfo& list, const InstallRun& run,
                            std::function<bool(const char16_t* file)> keepDownloadOf) override;

 private:
  ListKey key_;
  IJournalTarget& machine_;
};
