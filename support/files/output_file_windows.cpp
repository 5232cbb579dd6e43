#include "support/files/output_file.h"

#include <windows.h>

#include "support/core/wide_text.h"
#include "support/files/whole_write_windows.h"

namespace {

HANDLE AsHandle(intptr_t file) { return reinterpret_cast<HANDLE>(file); }

}  // namespace

OutputFile::OutputFile(const char16_t* path, Opening opening) {
  if (path == nullptr) {
    Failed(ERROR_INVALID_PARAMETER);
    return;
  }
  // CREATE_NEW refuses any name that is there, a link included.
  const HANDLE file = CreateFileW(AsWide(path), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  opening == Opening::kCreateNew ? CREATE_NEW : OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    Failed(GetLastError());
    return;
  }
  file_ = reinterpret_cast<intptr_t>(file);
  if (opening == Opening::kAppend && !SetFilePointerEx(file, LARGE_INTEGER{}, nullptr, FILE_END)) {
    Failed(GetLastError());
  }
}

OutputFile::~OutputFile() {
  if (IsOpen()) CloseHandle(AsHandle(file_));
}

bool OutputFile::Write(const uint8_t* bytes, uint32_t n) {
  if (!IsOpen() || error_ != 0) return false;
  const uint32_t error = WriteWholeToHandle(AsHandle(file_), bytes, n);
  return error == 0 || Failed(error);
}

bool OutputFile::CloseOnDisk() {
  if (!IsOpen()) return false;
  const HANDLE file = AsHandle(file_);
  file_ = kNoFile;
  if (!FlushFileBuffers(file)) Failed(GetLastError());
  if (!CloseHandle(file)) Failed(GetLastError());
  return error_ == 0;
}
