#pragma once

// The form body of the install report: "action=1&version=V&system=S&device=D", written as they
// are, without URL encoding.

// The body's buffer, terminator included.
constexpr int kReportBodyUnits = 512;

// True when the configured action list asks for install reports ("install" occurs in it, exactly).
bool ActionsIncludeInstall(const char16_t* actions);

// Writes the body into buffer (kReportBodyUnits units, terminated). A pair whose value is null
// (a Windows version without a name, a device identifier that could not be built) or that does
// not fit in what is left is left out, and the next pair follows directly; the last pair has no
// "&" after it. Returns the body's length, 0 for a null buffer.
int ComposeReportBody(char16_t* buffer, const char16_t* version, const char16_t* system,
                      const char16_t* device);
