#pragma once

#include "support/module_handle.h"

// What the program does once its configuration has loaded: the install window and its message
// loop, then the cleanup.
void RunApplication(ModuleHandle instance);
