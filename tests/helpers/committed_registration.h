#pragma once

class IClientInfo;
class IUninstInfo;

// Registers product as an install does, with its registration as the steps of a journal in its
// install folder that is then committed: its keys, uninstall entry, shortcuts and group, and the
// Run value when autoStart. True when every step held.
bool RegisterCommitted(const IClientInfo& product, const IUninstInfo& installed,
                       bool autoStart = false);
