#pragma once

#include "records/update_info_trust.h"
#include "support/core/module_handle.h"

// The vendor's public key module carries as its resource "KEY" 1, read whole: with it, the
// program follows only published lists the key signed. A program without the resource carries
// no key and follows every list.
ListKey LoadListKey(ModuleHandle module);
