#pragma once

#include "support/module_handle.h"

class IClientInfo;

// Loads the product configuration from the "app" resource of instance into product and sets
// g_windowTitle to its name. When it cannot be loaded (missing, or failing its container's check),
// or the payload archive of instance ("tail") is there but fails its check or is no archive, the
// package is damaged: unless silent, the user is asked whether to fetch a fresh copy from the
// official site (product's built-in homepage), which is opened on Yes. Returns whether the
// configuration loaded from an undamaged package.
bool LoadProductConfig(ModuleHandle instance, IClientInfo& product, bool silent);

// Tells the user that the package is damaged and offers the official site (product's homepage),
// opened on Yes. A silent install asks nothing.
void ReportDamagedPackage(IClientInfo& product, bool silent);
