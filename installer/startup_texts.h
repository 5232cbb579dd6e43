#pragma once

#include "records/client_info.h"
#include "support/fixed_wstring.h"

// The HTTP user agent, "company/app/version" followed by the engine the client presents itself
// as, and the window title, the product's name; both cut to what their strings keep.
void BuildStartupTexts(const IClientInfo& info, FixedWString<512>& userAgent,
                       FixedWString<128>& title);
