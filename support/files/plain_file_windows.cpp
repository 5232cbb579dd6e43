#include "support/files/plain_file.h"

#include <windows.h>

#include "support/core/handle_windows.h"
#include "support/core/wide_text.h"

bool IsSoleNameOfPlainFile(const char16_t* path) {
  if (path == nullptr) return false;
  // The name itself, not what a link on it leads to.
  Handle file(CreateFileW(
      AsWide(path), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION information;
  constexpr DWORD kNotPlain =
      FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
  return file.Valid() && GetFileType(file.Get()) == FILE_TYPE_DISK &&
         GetFileInformationByHandle(file.Get(), &information) &&
         (information.dwFileAttributes & kNotPlain) == 0 && information.nNumberOfLinks == 1;
}
