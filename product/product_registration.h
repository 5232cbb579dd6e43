#pragma once

class IClientInfo;

// Registering the installed product is a list of journaled steps (registration_steps.h), so that
// a failed or cancelled install undoes it. Removing it is the uninstaller's last act.

// Removes the product key, the uninstall entry, the shortcuts, the program group and the Run
// value. Always true.
bool Unregister(const IClientInfo& product);
