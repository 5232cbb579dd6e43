#pragma once

#include "support/text/xlocale.h"

// The programs' process-wide objects, built before the entry point runs and destroyed at process
// exit. The product record is not among them: the entry point loads it and hands it to what
// needs it.
extern XLocale g_locale;
