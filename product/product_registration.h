#pragma once

#include <string>
#include <vector>

class IClientInfo;

// Registering the installed product is a list of journaled steps (registration_steps.h), so that
// a failed or cancelled install undoes it. Removing it is the uninstaller's last act.

// Removes the Run value, the shortcuts, the program group, the uninstall entry and, once they
// are gone, the product key and the company key when nothing else is left in it
// (unregistration.h). Returns what could not be removed, each as "place: the system's reason";
// empty when everything is gone, also when nothing was registered.
std::vector<std::u16string> Unregister(const IClientInfo& product);
