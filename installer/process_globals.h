#pragma once

#include "records/client_info.h"
#include "records/user_info.h"
#include "support/fixed_wstring.h"
#include "support/xlocale.h"

// The installer's process-wide objects. They are built before the entry point runs, in the order
// declared here, and destroyed at process exit in the reverse order.
extern CUserInfo g_userInfo;
// The product configuration, loaded from the executable at start-up.
extern CClientInfo g_clientInfo;
extern XLocale g_locale;

// Set once at start-up, before any window or worker exists, and only read afterwards; that is
// what lets the install worker read them without a lock.
extern FixedWString<512> g_userAgent;
extern FixedWString<128> g_windowTitle;
