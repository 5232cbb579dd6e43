#include "support/journal/journal_target_windows.h"

#include <windows.h>

#include <cstddef>
#include <cstring>
#include <memory>
#include <mutex>
#include <type_traits>
#include <utility>
#include <vector>

#include "support/core/wide_text.h"
#include "support/files/folder_tree.h"
#include "support/files/link_check.h"
#include "support/files/whole_write_windows.h"
#include "support/text/system_error_text.h"

namespace {

struct KeyCloser {
  void operator()(HKEY key) const { RegCloseKey(key); }
};
using RegistryKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

// The key opened with access; null with *status the system's reason when it cannot be.
RegistryKey OpenKey(const std::u16string& key, REGSAM access, LSTATUS* status = nullptr) {
  HKEY opened = nullptr;
  const LSTATUS result = RegOpenKeyExW(HKEY_LOCAL_MACHINE, AsWide(key.c_str()), 0, access, &opened);
  if (status != nullptr) *status = result;
  return result == ERROR_SUCCESS ? RegistryKey(opened) : nullptr;
}

bool IsHeldError(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
         error == ERROR_ACCESS_DENIED;
}

}  // namespace

bool CWindowsJournalTarget::Failed(const std::u16string& path) {
  const DWORD error = GetLastError();
  std::u16string reason = SystemErrorText(error);
  if (IsHeldError(error)) {
    const std::u16string holders = FileHolderText(path.c_str());
    if (!holders.empty()) reason += u" (" + holders + u")";
  }
  std::lock_guard<std::mutex> hold(errorLock_);
  lastError_ = std::move(reason);
  return false;
}

std::u16string CWindowsJournalTarget::LastError() {
  std::lock_guard<std::mutex> hold(errorLock_);
  return lastError_;
}

bool CWindowsJournalTarget::PathExists(const std::u16string& path) {
  return GetFileAttributesW(AsWide(path.c_str())) != INVALID_FILE_ATTRIBUTES;
}

bool CWindowsJournalTarget::Renamed(const std::u16string& from,
                                    const std::function<bool()>& rename) {
  constexpr DWORD kPauseMs = 100;
  for (DWORD waited = 0;; waited += kPauseMs) {
    if (rename()) return true;
    if (!IsHeldError(GetLastError()) || waited >= kHeldFileWaitMs) return Failed(from);
    Sleep(kPauseMs);
  }
}

bool CWindowsJournalTarget::RenameFile(const std::u16string& from, const std::u16string& to) {
  return Renamed(from, [&from, &to] {
    return MoveFileExW(AsWide(from.c_str()), AsWide(to.c_str()), MOVEFILE_WRITE_THROUGH) != 0;
  });
}

// Renaming through the handle the file was written with spares opening it again by name, which
// costs as much as creating it on some file systems.
class CWindowsJournalTarget::StagedFile : public IStagedFile {
 public:
  StagedFile(CWindowsJournalTarget& target, const std::u16string& staging, Handle file)
      : target_(target), staging_(staging), file_(std::move(file)) {}

  bool Put(const uint8_t* bytes, size_t count) override {
    if (!written_) return false;
    return Written(WriteWholeToHandle(file_.Get(), bytes, count));
  }

  bool PutAt(uint64_t offset, const uint8_t* bytes, size_t count) override {
    // The workers take turns, so that the first failure alone is the one the target tells.
    std::lock_guard<std::mutex> hold(lock_);
    if (!written_) return false;
    return Written(WriteWholeToHandleAt(file_.Get(), offset, bytes, count));
  }

  bool Place(const std::u16string& path) override {
    if (!written_) return false;
    // Made at its own name: only the close is left, which tells whether the last writes took.
    if (path == staging_) return CloseHandle(file_.Release()) != 0 || target_.Failed(staging_);
    // The rename's form: the structure with the new name in place of its last member.
    std::vector<uint8_t> buffer(offsetof(FILE_RENAME_INFO, FileName) +
                                (path.size() + 1) * sizeof(char16_t));
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = FALSE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(path.size() * sizeof(char16_t));
    std::memcpy(rename->FileName, path.c_str(), (path.size() + 1) * sizeof(char16_t));
    const HANDLE file = file_.Get();
    const DWORD size = static_cast<DWORD>(buffer.size());
    const bool placed = target_.Renamed(staging_, [file, rename, size] {
      return SetFileInformationByHandle(file, FileRenameInfo, rename, size) != 0;
    });
    file_.Reset(nullptr);
    return placed;
  }

 private:
  // True for a write that left no error; otherwise the file fails and the target says why.
  bool Written(uint32_t error) {
    if (error == 0) return true;
    written_ = false;
    SetLastError(error);
    return target_.Failed(staging_);
  }

  CWindowsJournalTarget& target_;
  const std::u16string staging_;
  Handle file_;
  std::mutex lock_;
  bool written_ = true;
};

std::unique_ptr<IStagedFile> CWindowsJournalTarget::CreateStagedFile(
    const std::u16string& staging) {
  Handle file(CreateFileW(AsWide(staging.c_str()), GENERIC_WRITE | DELETE, FILE_SHARE_READ,
                          nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) {
    Failed(staging);
    return nullptr;
  }
  return std::make_unique<StagedFile>(*this, staging, std::move(file));
}

bool CWindowsJournalTarget::RemoveFile(const std::u16string& path) {
  const wchar_t* name = AsWide(path.c_str());
  const DWORD attributes = GetFileAttributesW(name);
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return false;
  // A read-only file is the installer's to remove all the same.
  if (attributes & FILE_ATTRIBUTE_READONLY) {
    SetFileAttributesW(name, attributes & ~FILE_ATTRIBUTE_READONLY);
  }
  if (DeleteFileW(name)) return true;
  if (!IsHeldError(GetLastError())) return Failed(path);
  // A program running from the file (the uninstaller undoing a change to its own file) keeps it
  // from being deleted, not from being renamed: it is moved aside, out of the way, and deleted
  // when Windows next starts.
  for (int n = 1; n < 100; ++n) {
    const std::u16string aside = path + u".del~" + std::u16string(1, u'0' + n / 10) +
                                 std::u16string(1, u'0' + n % 10);
    if (PathExists(aside)) continue;
    if (!MoveFileExW(name, AsWide(aside.c_str()), 0)) return Failed(path);
    MoveFileExW(AsWide(aside.c_str()), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    return true;
  }
  return Failed(path);
}

bool CWindowsJournalTarget::CreateFolder(const std::u16string& path) {
  return CreateDirectoryW(AsWide(path.c_str()), nullptr) || Failed(path);
}

bool CWindowsJournalTarget::RemoveEmptyFolder(const std::u16string& path) {
  if (!PathExists(path)) return true;
  return RemoveDirectoryW(AsWide(path.c_str())) != 0;
}

bool CWindowsJournalTarget::RemoveTree(const std::u16string& path) {
  const DWORD attributes = GetFileAttributesW(AsWide(path.c_str()));
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return RemoveFile(path);
  return DeleteTree(path.c_str()) || Failed(path);
}

bool CWindowsJournalTarget::CrossesLink(const std::u16string& folder,
                                        const std::u16string& path) {
  return ::CrossesLink(folder.c_str(), path.c_str());
}

bool CWindowsJournalTarget::KeyExists(const std::u16string& key) {
  return OpenKey(key, KEY_READ) != nullptr;
}

bool CWindowsJournalTarget::ReadValue(const std::u16string& key, const std::u16string& name,
                                      RegistryValue* value) {
  RegistryKey opened = OpenKey(key, KEY_READ);
  if (!opened) return false;
  DWORD type = 0;
  DWORD size = 0;
  if (RegQueryValueExW(opened.get(), AsWide(name.c_str()), nullptr, &type, nullptr, &size) !=
      ERROR_SUCCESS) {
    return false;
  }
  value->type = type;
  value->bytes.resize(size);
  if (RegQueryValueExW(opened.get(), AsWide(name.c_str()), nullptr, &type, value->bytes.data(),
                       &size) != ERROR_SUCCESS) {
    return false;
  }
  value->bytes.resize(size);
  return true;
}

bool CWindowsJournalTarget::WriteValue(const std::u16string& key, const std::u16string& name,
                                       const RegistryValue& value) {
  HKEY created = nullptr;
  const LSTATUS status =
      RegCreateKeyExW(HKEY_LOCAL_MACHINE, AsWide(key.c_str()), 0, nullptr,
                      REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &created, nullptr);
  if (status != ERROR_SUCCESS) {
    SetLastError(status);
    return Failed(key);
  }
  RegistryKey opened(created);
  const LSTATUS written =
      RegSetValueExW(opened.get(), AsWide(name.c_str()), 0, value.type, value.bytes.data(),
                     static_cast<DWORD>(value.bytes.size()));
  if (written == ERROR_SUCCESS) return true;
  SetLastError(written);
  return Failed(key);
}

bool CWindowsJournalTarget::DeleteValue(const std::u16string& key, const std::u16string& name) {
  LSTATUS status = ERROR_SUCCESS;
  RegistryKey opened = OpenKey(key, KEY_SET_VALUE, &status);
  // Only a key that is not there holds no value: one that refuses to open keeps it.
  if (status == ERROR_FILE_NOT_FOUND) return true;
  if (opened) status = RegDeleteValueW(opened.get(), AsWide(name.c_str()));
  if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) return true;
  SetLastError(status);
  return Failed(key + u"\\" + name);
}

bool CWindowsJournalTarget::RemoveEmptyKey(const std::u16string& key) {
  {
    RegistryKey opened = OpenKey(key, KEY_READ);
    if (!opened) return true;
    DWORD keys = 0;
    DWORD values = 0;
    if (RegQueryInfoKeyW(opened.get(), nullptr, nullptr, nullptr, &keys, nullptr, nullptr,
                         &values, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
        keys != 0 || values != 0) {
      return false;
    }
  }
  return RegDeleteKeyW(HKEY_LOCAL_MACHINE, AsWide(key.c_str())) == ERROR_SUCCESS;
}

bool CWindowsJournalTarget::RemoveKey(const std::u16string& key) {
  const LSTATUS status = RegDeleteKeyW(HKEY_LOCAL_MACHINE, AsWide(key.c_str()));
  if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) return true;
  SetLastError(status);
  return Failed(key);
}

bool CWindowsJournalTarget::CreateJournal(const std::u16string& path) {
  journalPath_ = path;
  journal_.Reset(CreateFileW(AsWide(path.c_str()), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                             CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr));
  return journal_.Valid() || Failed(path);
}

bool CWindowsJournalTarget::AppendJournal(const std::vector<uint8_t>& bytes) {
  if (!journal_.Valid()) return false;
  // Written through to the system before the change it records: a killed process loses nothing
  // the system has, and the flush carries it to the disk for a power cut.
  const uint32_t error = WriteWholeToHandle(journal_.Get(), bytes.data(), bytes.size());
  if (error != 0) SetLastError(error);
  return (error == 0 && FlushFileBuffers(journal_.Get())) || Failed(journalPath_);
}

IJournalTarget::JournalRead CWindowsJournalTarget::ReadJournal(const std::u16string& path,
                                                               std::vector<uint8_t>* bytes) {
  // Shared for reading only: a run that still writes the journal holds it for writing, and this
  // open then fails.
  Handle file(CreateFileW(AsWide(path.c_str()), GENERIC_READ, FILE_SHARE_READ, nullptr,
                          OPEN_EXISTING, 0, nullptr));
  if (!file.Valid()) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return JournalRead::kMissing;
    return error == ERROR_SHARING_VIOLATION ? JournalRead::kBusy : JournalRead::kFailed;
  }
  LARGE_INTEGER size = {};
  // A journal records one run: far below this.
  constexpr LONGLONG kLargestJournal = 256LL * 1024 * 1024;
  if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > kLargestJournal) {
    return JournalRead::kFailed;
  }
  bytes->resize(static_cast<size_t>(size.QuadPart));
  DWORD read = 0;
  if (!bytes->empty() &&
      (!::ReadFile(file.Get(), bytes->data(), static_cast<DWORD>(bytes->size()), &read, nullptr) ||
       read != bytes->size())) {
    return JournalRead::kFailed;
  }
  return JournalRead::kRead;
}
