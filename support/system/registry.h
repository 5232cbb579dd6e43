#pragma once

#include <cstdint>

// The system's registry access: REG_SZ (and REG_DWORD) values below HKEY_LOCAL_MACHINE, in the
// process's default registry view. Texts are UTF-16; capacities and lengths count units. All
// return true on success.

// Reads a value into buffer, always terminated inside it. False, with buffer empty, when the key
// or value is missing or the value needs all capacity units or more (a cut value would be a
// different value).
bool RegistryReadString(const char16_t* subKey, const char16_t* valueName, char16_t* buffer,
                        int capacity);
// Writes length units of text (-1: its own length) without a terminating zero, creating the key
// when it is missing. An empty text is written as one zero unit.
bool RegistryWriteString(const char16_t* subKey, const char16_t* valueName, const char16_t* text,
                         int length);
// True also when the key does not exist; false when the value is not there, or the key refuses
// to be opened for the change (access denied).
bool RegistryDeleteValue(const char16_t* subKey, const char16_t* valueName);
// Deletes a key without subkeys.
bool RegistryDeleteKey(const char16_t* subKey);
