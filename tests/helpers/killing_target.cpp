#include "tests/helpers/killing_target.h"

#include <windows.h>

#include <cwchar>

KillingTarget::Point KillingTarget::Parse(const std::wstring& text) {
  Point point;
  if (text == L"registration") {
    point.atValue = true;
  } else if (text.rfind(L"rename:", 0) == 0) {
    point.rename = static_cast<int>(std::wcstol(text.c_str() + 7, nullptr, 10));
  } else if (text != L"count") {
    point.change = static_cast<int>(std::wcstol(text.c_str(), nullptr, 10));
  }
  return point;
}

void KillingTarget::Change() {
  if (changes_++ == point_.change) TerminateProcess(GetCurrentProcess(), kKilledExitCode);
}

bool KillingTarget::RenameFile(const std::u16string& from, const std::u16string& to) {
  if (renames_++ == point_.rename) TerminateProcess(GetCurrentProcess(), kKilledExitCode);
  Change();
  return real_.RenameFile(from, to);
}

bool KillingTarget::RemoveFile(const std::u16string& path) {
  Change();
  return real_.RemoveFile(path);
}

bool KillingTarget::CreateFolder(const std::u16string& path) {
  Change();
  return real_.CreateFolder(path);
}

bool KillingTarget::RemoveEmptyFolder(const std::u16string& path) {
  Change();
  return real_.RemoveEmptyFolder(path);
}

bool KillingTarget::RemoveTree(const std::u16string& path) {
  Change();
  return real_.RemoveTree(path);
}

bool KillingTarget::WriteValue(const std::u16string& key, const std::u16string& name,
                               const RegistryValue& value) {
  if (point_.atValue) TerminateProcess(GetCurrentProcess(), kKilledExitCode);
  Change();
  return real_.WriteValue(key, name, value);
}

bool KillingTarget::DeleteValue(const std::u16string& key, const std::u16string& name) {
  Change();
  return real_.DeleteValue(key, name);
}

bool KillingTarget::RemoveEmptyKey(const std::u16string& key) {
  Change();
  return real_.RemoveEmptyKey(key);
}

bool KillingTarget::RemoveKey(const std::u16string& key) {
  Change();
  return real_.RemoveKey(key);
}

bool KillingTarget::CreateJournal(const std::u16string& path) {
  Change();
  return real_.CreateJournal(path);
}

bool KillingTarget::AppendJournal(const std::vector<uint8_t>& bytes) {
  Change();
  return real_.AppendJournal(bytes);
}
