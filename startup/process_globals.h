#pragma once

#include "support/fixed_wstring.h"
#include "support/xlocale.h"

// The installer's process-wide objects, built before the entry point runs and destroyed at
// process exit. The product record is not among them: the entry point loads it and hands it to
// what needs it.
extern XLocale g_locale;

// The window title, the product's name: set once at start-up, before any window exists, and only
// read afterwards.
extern FixedWString<128> g_windowTitle;
