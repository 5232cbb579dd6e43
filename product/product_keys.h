#pragma once

#include <cstdint>

// The product's registry keys below HKEY_LOCAL_MACHINE (their paths: product_key_paths.h), over
// the registry access of support/system/registry.h. Texts are UTF-16; capacities and lengths count
// units. All return true on success and false when the key path cannot be formed.

// The product key, "Software\<company>\<app>".
bool ReadProductValue(const char16_t* company, const char16_t* app, const char16_t* valueName,
                      char16_t* buffer, int capacity);
bool WriteProductValue(const char16_t* company, const char16_t* app, const char16_t* valueName,
                       const char16_t* text, int length);
bool DeleteProductKey(const char16_t* company, const char16_t* app);

// The uninstall entry, "Software\Microsoft\Windows\CurrentVersion\Uninstall\<company><app>".
bool WriteUninstallValue(const char16_t* company, const char16_t* app, const char16_t* valueName,
                         const char16_t* text, int length);
bool DeleteUninstallKey(const char16_t* company, const char16_t* app);

// Values of the Run key, named after the product. An empty name is refused: it would be the key's
// default value.
bool ReadRunValue(const char16_t* valueName, char16_t* buffer, int capacity);
bool WriteRunValue(const char16_t* valueName, const char16_t* text, int length);
bool DeleteRunValue(const char16_t* valueName);
