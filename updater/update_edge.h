#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "install/install_outcome.h"
#include "install/install_run.h"
#include "product/published_list.h"
#include "product/registration_steps.h"
#include "support/journal/change_journal.h"

class IClientInfo;
class IUpdateInfo;

// How a message of the updater looks: its icon.
enum class UpdateNotice { kWarning, kInformation };

// What the updater needs of the system it runs on: the product's registry values, the journal
// a killed run left, the published list, the running client, the person, the machine the
// update's journal acts on and the engine that brings the listed files. RunUpdate decides and
// this carries it out, so that its decisions are tested without Windows. CWindowsUpdateEdge is
// the real one.
class IUpdateEdge {
 public:
  virtual ~IUpdateEdge() = default;

  // The folder the product key records, ending with a backslash, into folder (kPathCapacity
  // units); false when none is recorded (installed_folder.h).
  virtual bool ReadInstalledFolder(const IClientInfo& product, char16_t* folder) = 0;
  // The version the product key records; empty when none can be read.
  virtual std::u16string ReadInstalledVersion(const IClientInfo& product) = 0;
  // Whether digest is the list digest the product key records (published_list.h).
  virtual bool IsRecordedDigest(const IClientInfo& product, const char16_t* digest) = 0;
  // Where the product's registration is (registration_steps.h).
  virtual bool FindRegistrationPlaces(const IClientInfo& product, RegistrationPlaces* places) = 0;
  // Finishes with a journal an earlier, killed run of product left in folder
  // (folder_recovery.h).
  virtual JournalRecovery RecoverFolder(const IClientInfo& product, const char16_t* folder) = 0;
  // Whole seconds on a clock that only goes forward, for a silent run's time bound; called from
  // the bound's own thread too.
  virtual int64_t UptimeSecond() = 0;
  // The list the product publishes, taken into list as FetchPublishedList takes it, judged with
  // the program's key and floorVersion (published_list.h); abandoned once stop is set.
  virtual bool FetchPublishedList(const IClientInfo& product, const char16_t* floorVersion,
                                  PublishedList* list, const std::atomic<bool>* stop) = 0;

  // Offers to end the client running from folder; true to go on (install_checks.h).
  virtual bool EndRunningClient(const IClientInfo& product, const char16_t* folder) = 0;
  // Asks the person question; true when the answer is yes.
  virtual bool Ask(const std::u16string& question) = 0;
  // Tells the person text in a box with one button.
  virtual void Tell(const std::u16string& text, UpdateNotice notice) = 0;

  // The machine the update's journal acts on (the file system and registry).
  virtual IJournalTarget& JournalTarget() = 0;
  // Follows list into folder through run's journal (install_engine.h): the names of the listed
  // files it leaves in place go to run's installed list, and the downloads of the files
  // keepDownloadOf names stay when the journal is undone; run's stop ends it stopped, and its time
  // limit, when it has one, is raised by what the list downloads. What could not be put in place
  // is the outcome.
  virtual InstallOutcome FollowList(const char16_t* folder, const IUpdateInfo& list,
                                    const InstallRun& run,
                                    std::function<bool(const char16_t* file)> keepDownloadOf) = 0;
};
