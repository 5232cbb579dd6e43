#pragma once

class IClientInfo;

// The checks between the user and the install of a product. Each asks its questions through
// AskUser, in message boxes owned by owner (the install window) and captioned with the
// language's "install.caption" ("安装提示" in Chinese).

// What the installed-version check decided.
enum class InstalledVersionCheck {
  kProceed,   // nothing installed, an older version, or the same one and the user wants a repair
  kRefused,   // a newer version is installed: finish with it instead of installing
  kDeclined,  // the same version is installed and the user wants no repair: close the window
};

// Compares the version in the product key with the product's configured version as text, code
// unit by code unit (so "1.10.0.0" is older than "1.9.0.0"), warning about a newer one and
// offering a repair of the same one. An unreadable installed version lets the install proceed.
// Run when the install window is created, in archive mode with an install folder set.
InstalledVersionCheck CheckInstalledVersion(void* owner, const IClientInfo& product);

// When the configuration asks for it (style bit 0x8), asks the user to quit the 360 security
// products of the "detect" list that are running, which would remove the client's files. True
// to go on: none runs, the user quit them, or the user chose to install anyway.
bool CheckAntivirus(void* owner, const IClientInfo& product);

// Offers to end a running copy of the client (a process whose executable name occurs in the
// install folder joined with the product's client file). True to go on; false when the user
// keeps it.
bool CheckRunningClient(void* owner, const IClientInfo& product, const char16_t* installFolder);

// What the product's programs go on with once the client is ended, as the question says it.
enum class ClientTask { kInstall, kUninstall, kUpdate };

// The running-client check for any of the product's programs: the question names task, and
// without ask the client is ended without one (a silent uninstall). For the install, a process
// of the client's name is enough (CheckRunningClient is EndRunningClient(owner, product,
// installFolder, ClientTask::kInstall, true)); for the other tasks it must run from the very
// file in installFolder.
bool EndRunningClient(void* owner, const IClientInfo& product, const char16_t* installFolder,
                      ClientTask task, bool ask);
