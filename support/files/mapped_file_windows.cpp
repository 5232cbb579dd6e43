#include "support/files/mapped_file.h"

#include <windows.h>

#include "support/core/wide_text.h"

namespace {

HANDLE AsHandle(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

}  // namespace

MappedFile::MappedFile(const char16_t* path, Mapping mapping, uint64_t size) {
  if (path == nullptr) return;
  writable_ = mapping == Mapping::kNewFile;
  // CREATE_NEW refuses any name that is there, a link included. A mapped reference may be read
  // by others meanwhile, never written.
  const HANDLE file =
      CreateFileW(AsWide(path), writable_ ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ,
                  FILE_SHARE_READ, nullptr, writable_ ? CREATE_NEW : OPEN_EXISTING,
                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  file_ = reinterpret_cast<intptr_t>(file);
  if (!writable_) {
    LARGE_INTEGER length;
    if (!GetFileSizeEx(file, &length)) return;
    size = static_cast<uint64_t>(length.QuadPart);
  }
  size_ = size;
  // A mapping of no bytes cannot be made: an empty file maps to nothing.
  if (size > 0) {
    const HANDLE section = CreateFileMappingW(file, nullptr, writable_ ? PAGE_READWRITE : PAGE_READONLY,
                                              static_cast<DWORD>(size >> 32),
                                              static_cast<DWORD>(size), nullptr);
    if (section == nullptr) return;
    mapping_ = reinterpret_cast<intptr_t>(section);
    void* view = MapViewOfFile(section, writable_ ? FILE_MAP_WRITE : FILE_MAP_READ, 0, 0, 0);
    if (view == nullptr) return;
    data_ = static_cast<uint8_t*>(view);
  }
  open_ = true;
}

MappedFile::~MappedFile() {
  Unmap();
  if (file_ != -1) CloseHandle(AsHandle(file_));
}

void MappedFile::Unmap() {
  if (data_ != nullptr) UnmapViewOfFile(data_);
  data_ = nullptr;
  if (mapping_ != 0) CloseHandle(AsHandle(mapping_));
  mapping_ = 0;
}

bool MappedFile::CloseOnDisk() {
  if (!open_ || !writable_) return false;
  bool done = data_ == nullptr || FlushViewOfFile(data_, 0);
  Unmap();
  const HANDLE file = AsHandle(file_);
  file_ = -1;
  open_ = false;
  done = FlushFileBuffers(file) && done;
  return CloseHandle(file) && done;
}
