#include "startup/process_globals.h"

XLocale g_locale;
