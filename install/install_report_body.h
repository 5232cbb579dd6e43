#pragma once

#include "support/core/fixed_wstring.h"

class IClientInfo;

// The texts of the install report: its form body, "action=1&version=V&system=S&device=D",
// written as they are, without URL encoding, and the user agent it is sent under.

// The body's buffer, terminator included.
constexpr int kReportBodyUnits = 512;

// "company/app/version" of the product, followed by the engine the client presents itself as:
// " client/1.1 WebUI/1.3 WKE/535.2 WebKit/535.2". The fields keep at most 127 characters each, so
// it always fits whole.
void FormatUserAgent(const IClientInfo& product, FixedWString<512>* userAgent);

// True when the configured action list asks for install reports ("install" occurs in it, exactly).
bool ActionsIncludeInstall(const char16_t* actions);

// Writes the body into buffer (kReportBodyUnits units, terminated). A pair whose value is null
// (a Windows version without a name, a device identifier that could not be built) or that does
// not fit in what is left is left out, and the next pair follows directly; the last pair has no
// "&" after it. Returns the body's length, 0 for a null buffer.
int ComposeReportBody(char16_t* buffer, const char16_t* version, const char16_t* system,
                      const char16_t* device);
