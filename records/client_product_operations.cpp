// The operations of the client record that act on the installed product as a whole: registry
// keys, shortcuts, start with Windows, the update check, the updater and the client launch.
#include "records/client_info.h"

// Registration fills this in; until then nothing is registered.
bool CClientInfo::Register() { return false; }
// Registration fills this in; until then nothing is removed.
bool CClientInfo::Unregister() { return false; }
// Start with Windows fills this in.
bool CClientInfo::IsAutoStart() { return false; }
// Start with Windows fills this in.
bool CClientInfo::SetAutoStart(bool) { return false; }
// The updater copy fills this in.
bool CClientInfo::DeleteTempUpdater() { return false; }
// The update check fills this in.
bool CClientInfo::FetchListDigest(char16_t*) { return false; }
// The update check fills this in.
bool CClientInfo::FetchListDigestFromConfig(char16_t*) { return false; }
// The update check fills this in.
bool CClientInfo::FetchListDigestFromConfig2(char16_t*) { return false; }
// The update check fills this in.
bool CClientInfo::IsUpdateNeeded() { return false; }
// The updater copy fills this in.
bool CClientInfo::RunUpdater() { return false; }
// The client launch fills this in.
bool CClientInfo::LaunchClient() { return false; }
