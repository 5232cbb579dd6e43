#include "support/files/xdata.h"

#include <new>

#include "support/files/file_stream.h"

namespace {

// Storage of n bytes plus the two zero tail bytes; null when memory is short.
std::unique_ptr<uint8_t[]> AllocateStorage(uint32_t n) {
  std::unique_ptr<uint8_t[]> storage(new (std::nothrow) uint8_t[static_cast<size_t>(n) + 2]);
  if (storage) {
    storage[n] = 0;
    storage[static_cast<size_t>(n) + 1] = 0;
  }
  return storage;
}

}  // namespace

XData::~XData() = default;

bool XData::Reserve(uint32_t newCapacity, bool discard) {
  if (newCapacity == 0) {
    Free();
    return true;
  }
  if (storage_ && newCapacity == capacity_) {
    if (discard) length_ = 0;
    return true;
  }
  if (storage_ && discard) Free();
  std::unique_ptr<uint8_t[]> fresh = AllocateStorage(newCapacity);
  if (!fresh) {
    Free();
    return false;
  }
  uint32_t kept = length_ < newCapacity ? length_ : newCapacity;
  for (uint32_t i = 0; i < kept; ++i) fresh[i] = storage_[i];
  storage_ = std::move(fresh);
  capacity_ = newCapacity;
  length_ = kept;
  return true;
}

bool XData::EnsureCapacity(uint32_t n, bool discard) {
  return capacity_ < n ? Reserve(n, discard) : true;
}

uint32_t XData::SetLength(uint32_t n) {
  length_ = n < capacity_ ? n : capacity_;
  return length_;
}

void XData::Free() {
  storage_.reset();
  capacity_ = 0;
  length_ = 0;
}

bool XData::ReadFile(const char* path, uint32_t limit) {
  Free();
  FileStream file = OpenFileStream(path, "rb");
  return file && ReadOpened(file.get(), limit);
}

bool XData::ReadFile(const char16_t* path, uint32_t limit) {
  Free();
  FileStream file = OpenFileStream(path, "rb");
  return file && ReadOpened(file.get(), limit);
}

bool XData::ReadOpened(std::FILE* file, uint32_t limit) {
  if (std::fseek(file, 0, SEEK_END) != 0) return false;
  long end = std::ftell(file);
  if (end < 0 || std::fseek(file, 0, SEEK_SET) != 0) return false;
  // A file beyond what a 32-bit length can hold cannot be read whole.
  if (static_cast<unsigned long>(end) > kLargestFile && limit == 0) return false;
  uint32_t size = static_cast<uint32_t>(end);
  if (limit != 0 && static_cast<unsigned long>(end) >= limit) size = limit;
  std::unique_ptr<uint8_t[]> fresh = AllocateStorage(size);
  if (!fresh) return false;
  if (std::fread(fresh.get(), 1, size, file) != size) return false;
  storage_ = std::move(fresh);
  capacity_ = length_ = size;
  return true;
}

bool XData::WriteFile(const char* path, uint32_t count) const {
  if (!storage_) return false;
  FileStream file = OpenFileStream(path, "wb");
  return file && WriteOpened(file.release(), count);
}

bool XData::WriteFile(const char16_t* path, uint32_t count) const {
  if (!storage_) return false;
  FileStream file = OpenFileStream(path, "wb");
  return file && WriteOpened(file.release(), count);
}

bool XData::WriteOpened(std::FILE* file, uint32_t count) const {
  if (count == 0 || count > length_) count = length_;
  bool written = std::fwrite(storage_.get(), 1, count, file) == count;
  // Closing flushes: a full disk may only show here.
  return std::fclose(file) == 0 && written;
}
