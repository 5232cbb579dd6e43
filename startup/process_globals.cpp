#include "startup/process_globals.h"

XLocale g_locale;

FixedWString<128> g_windowTitle;
