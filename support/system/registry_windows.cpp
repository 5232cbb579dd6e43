#include "support/system/registry.h"

#include <windows.h>

#include <memory>
#include <string>
#include <type_traits>

#include "support/core/wide_text.h"

namespace {

struct KeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
using RegistryKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

// The key opened with access; null with *status the system's reason when it cannot be.
RegistryKey OpenKey(const char16_t* subKey, REGSAM access, LSTATUS* status = nullptr) {
  HKEY key = nullptr;
  const LSTATUS result = RegOpenKeyExW(HKEY_LOCAL_MACHINE, AsWide(subKey), 0, access, &key);
  if (status != nullptr) *status = result;
  return result == ERROR_SUCCESS ? RegistryKey(key) : nullptr;
}

RegistryKey OpenOrCreateKey(const char16_t* subKey) {
  if (RegistryKey key = OpenKey(subKey, KEY_ALL_ACCESS)) return key;
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, AsWide(subKey), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return nullptr;
  }
  return RegistryKey(key);
}

}  // namespace

bool RegistryReadString(const char16_t* subKey, const char16_t* valueName, char16_t* buffer,
                        int capacity) {
  constexpr int kLargestCapacity = INT32_MAX / sizeof(char16_t);
  if (subKey == nullptr || valueName == nullptr || buffer == nullptr || capacity <= 0 ||
      capacity > kLargestCapacity) {
    return false;
  }
  RegistryKey key = OpenKey(subKey, KEY_READ);
  if (!key) return false;
  DWORD bytes = static_cast<DWORD>(capacity) * sizeof(char16_t);
  ZeroMemory(buffer, bytes);
  LSTATUS status = RegQueryValueExW(key.get(), AsWide(valueName), nullptr, nullptr,
                                    reinterpret_cast<BYTE*>(buffer), &bytes);
  // Values are stored with or without a terminating zero. The zeroed buffer terminates a value
  // that leaves units free; one that fills the buffer must carry its own zero.
  DWORD units = (bytes + 1) / sizeof(char16_t);
  bool terminated = units < static_cast<DWORD>(capacity) || buffer[capacity - 1] == 0;
  if (status != ERROR_SUCCESS || !terminated) {
    buffer[0] = 0;
    return false;
  }
  return true;
}

bool RegistryWriteString(const char16_t* subKey, const char16_t* valueName, const char16_t* text,
                         int length) {
  if (subKey == nullptr || valueName == nullptr || text == nullptr || length < -1) return false;
  if (length == -1) length = static_cast<int>(std::char_traits<char16_t>::length(text));
  RegistryKey key = OpenOrCreateKey(subKey);
  if (!key) return false;
  // An empty value is stored as its terminating zero: a string of no bytes at all is one that
  // readers taking the data as it comes would see as garbage.
  static const char16_t kEmpty[] = u"";
  if (length == 0) text = kEmpty;
  DWORD bytes = static_cast<DWORD>(length == 0 ? 1 : length) * sizeof(char16_t);
  return RegSetValueExW(key.get(), AsWide(valueName), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(text), bytes) == ERROR_SUCCESS;
}

bool RegistryDeleteValue(const char16_t* subKey, const char16_t* valueName) {
  if (subKey == nullptr || valueName == nullptr) return false;
  LSTATUS status = ERROR_SUCCESS;
  RegistryKey key = OpenKey(subKey, KEY_SET_VALUE, &status);
  // A key that is not there holds no value; one that refuses to open keeps it.
  if (!key) return status == ERROR_FILE_NOT_FOUND;
  return RegDeleteValueW(key.get(), AsWide(valueName)) == ERROR_SUCCESS;
}

bool RegistryDeleteKey(const char16_t* subKey) {
  if (subKey == nullptr) return false;
  return RegDeleteKeyW(HKEY_LOCAL_MACHINE, AsWide(subKey)) == ERROR_SUCCESS;
}
