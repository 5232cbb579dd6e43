#pragma once

// The paths, below HKEY_LOCAL_MACHINE, of the product's registry keys. Company and app are each
// one key name: empty names and names holding a backslash are refused, since they would point at
// a parent key or a key of something else. A path that does not fit is refused rather than cut,
// for the same reason.

constexpr int kKeyPathCapacity = 260;

// "Software\<company>\<app>"
bool FormatProductKeyPath(const char16_t* company, const char16_t* app, char16_t* out,
                          int capacity);

// "Software\Microsoft\Windows\CurrentVersion\Uninstall\<company><app>" (joined directly).
bool FormatUninstallKeyPath(const char16_t* company, const char16_t* app, char16_t* out,
                            int capacity);

// The key whose values start programs when Windows starts.
extern const char16_t kRunKeyPath[];
