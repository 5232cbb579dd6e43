#include "installer/process_globals.h"

// Defined together in one file, so their construction order is the order written here.
CUserInfo g_userInfo;
CClientInfo g_clientInfo;
XLocale g_locale;

FixedWString<512> g_userAgent;
FixedWString<128> g_windowTitle;
