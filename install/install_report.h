#pragma once

class IClientInfo;

// The install report: one best-effort POST to the product's "notify" endpoint telling it that
// the product was installed on this machine. Nothing is shown, retried or stored.

// Builds the body from the product's configuration, this Windows and the device identifier
// (computed afresh, with the company as its extra text) into buffer (kReportBodyUnits units).
// Returns its length, 0 for a null buffer.
int BuildReportBody(const IClientInfo& product, char16_t* buffer);

// Posts the body when packageVersion, the version the install put in place, is the configured
// version and an endpoint is configured. True when the endpoint accepted it (its reply begins
// with "1").
bool SendInstallReport(const IClientInfo& product, const char16_t* packageVersion);

// The gate: false for a null version or when reports are switched off (style bit 0x4); true
// without sending when the configured actions do not include the install; otherwise the
// endpoint's acceptance.
bool ReportInstall(const IClientInfo& product, const char16_t* packageVersion);
