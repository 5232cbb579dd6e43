#pragma once

#include <cstdint>

// A whole file mapped into memory, so that a large file is addressed as bytes without being read
// into memory: the system pages it in and out as it is used. Read-only for a file that is there,
// or writable for a new file of a given size whose bytes reach the disk when it is closed.
// Unmapped and closed when it goes.
class MappedFile {
 public:
  enum class Mapping {
    kReadOnly,  // a file that is there, never written through the mapping
    kNewFile,   // made anew at its size: nothing of that name may be there
  };

  // size is taken for kNewFile only; a read-only mapping is the file's own size.
  MappedFile(const char16_t* path, Mapping mapping, uint64_t size = 0);
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  // False when the file could not be opened, made or mapped. An empty file is open and maps to
  // no bytes (Data() is null).
  bool IsOpen() const { return open_; }
  const uint8_t* Data() const { return data_; }
  uint8_t* WritableData() const { return data_; }
  uint64_t Size() const { return size_; }
  // For a new file: carries its bytes to the disk and closes it. False when that failed or the
  // file was not open.
  bool CloseOnDisk();

 private:
  void Unmap();

  bool open_ = false;
  bool writable_ = false;
  uint8_t* data_ = nullptr;
  uint64_t size_ = 0;
  intptr_t file_ = -1;     // a descriptor, or a HANDLE on Windows
  intptr_t mapping_ = 0;   // the file-mapping HANDLE on Windows
};
