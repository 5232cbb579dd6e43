#pragma once

// The install report: one best-effort POST to the configured "notify" endpoint telling it that
// the product (g_clientInfo) was installed on this machine. Nothing is shown, retried or stored.

// Builds the body from the configuration, this Windows and the device identifier (computed
// afresh, with the company as its extra text) into buffer (kReportBodyUnits units). Returns its
// length, 0 for a null buffer.
int BuildReportBody(char16_t* buffer);

// Posts the body when version is the configured version and an endpoint is configured. True
// when the endpoint accepted it (its reply begins with "1").
bool SendInstallReport(const char16_t* version);

// The gate: false for a null version or when reports are switched off (style bit 0x4); true
// without sending when the configured actions do not include the install; otherwise the
// endpoint's acceptance.
bool ReportInstall(const char16_t* version);
