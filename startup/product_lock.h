#pragma once

#include <string>

// The name of the lock one run of a product's programs (setup.exe, unins000.exe, update.exe)
// holds while it runs, so that a second run of any of them ends at once instead of working on
// the same folder and keys: a machine-wide mutex named after the product's company and app,
// which are plain names and so hold no "/" to blur where one ends.
std::u16string ProductLockName(const char16_t* company, const char16_t* app);
