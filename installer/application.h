#pragma once

#include "support/module_handle.h"

class IClientInfo;

// What the program does once its configuration has loaded into product: the install window and
// its message loop, then the cleanup.
void RunApplication(ModuleHandle instance, IClientInfo& product);
