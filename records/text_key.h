#pragma once

// Every text the product's programs show a person, one key each, in the order of the language
// table (text_table.cpp). A text may name parts filled in when it is shown ("{name}").
enum class TextKey : int {
  // The command line's switches (startup/)
  kSwitchesTitle,
  kSwitchRefused,
  kSwitchSilent,
  kSwitchVerySilent,
  kSwitchFolder,
  kSwitchLog,
  kSwitchNoIcons,
  kSwitchNoCancel,
  kSwitchNoRestart,
  kSwitchHelp,
  // language
  kSwitchLanguageHelp,

  // The install window and its page (setup/, ui/)
  kWindowPreparing,
  kWindowCaption,
  kWindowPleaseWait,
  kWindowSlowNetwork,
  kWindowFolderTitle,
  kWindowAbortQuestion,
  kWindowHomepage,
  kWindowClose,
  kWindowMinimise,
  kWindowCopyright,
  kWindowInstalling,
  kWindowStart,
  kWindowFinish,
  kWindowFolder,
  kWindowBrowse,
  kWindowAgree,
  kWindowLicence,
  kWindowProgress,
  kWindowPress,
  kWindowCheck,
  kWindowClear,
  kWindowFollow,
  kWindowChooseFolder,

  // The install: its checks, progress and outcome (install/)
  kInstallCaption,
  kPackageDamaged,
  kPackagePartMissing,
  kPackagePartDamaged,
  kNewerInstalled,
  kRepairQuestion,
  kQuitSecuritySoftware,
  kSecuritySoftwareRunning,
  kClientRunningInstall,
  kClientRunningUninstall,
  kClientRunningUpdate,
  kProgressDetail,
  kDurationDays,
  kDurationHours,
  kDurationMinutes,
  kDurationSeconds,
  kInstallNotStarted,
  kListNotTrusted,
  kOldList,
  kInstallFolderFailed,
  kEarlierRun,
  kInstallUnusable,
  kInstallFailed,
  kInstallFailedBecause,
  kInstallUndone,
  kInstallNotUndone,
  kDamagedPartReason,
  kInstallerFileNameReason,

  // What acts on the installed product (product/)
  kFileOwnerQuestion,
  kFileOwnerCaption,
  kUninstallShortcut,

  // The uninstaller (uninstaller/)
  kUninstallQuestion,
  kNothingToUninstall,
  kUninstalled,
  kUninstallBusy,
  kUninstallListDamaged,
  kEntriesLeft,
  kRegistrationLeft,
  kMoreEntries,

  // The updater (updater/)
  kNotInstalled,
  kNoUpdateList,
  kUpdateListNotTrusted,
  kOlderUpdateList,
  kUnversionedUpdateList,
  kUpdateQuestion,
  kUpdateQuestionVersion,
  kUpToDate,
  kUpdated,
  kUpdateFailed,
  kUpdateFailedBecause,
  kUpdateUndone,
  kUpdateNotUndone,
  kUpdateBusy,

  kCount,
};

constexpr int kTextKeyCount = static_cast<int>(TextKey::kCount);
