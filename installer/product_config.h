#pragma once

#include "support/module_handle.h"

// Loads the product configuration from the "app" resource of instance into g_clientInfo and
// builds g_userAgent and g_windowTitle from it. When it cannot be loaded (missing, or failing its
// container's check) the package is damaged: unless silent, the user is asked whether to fetch a
// fresh copy from the official site, which is opened on Yes. Returns whether the configuration
// loaded.
bool LoadProductConfig(ModuleHandle instance, bool silent);
