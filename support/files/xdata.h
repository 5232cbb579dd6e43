#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

// An owned, growable byte buffer. The two bytes after the reserved capacity are always zero, so
// anything read into it is terminated both as 8-bit and as UTF-16 text.
class XData {
 public:
  // The largest file ReadFile reads whole: its length and the two zero bytes after it are counted
  // in 32 bits.
  static constexpr uint32_t kLargestFile = 0xFFFFFFFD;

  XData() = default;
  virtual ~XData();
  XData(const XData&) = delete;
  XData& operator=(const XData&) = delete;

  // Sets the capacity. With discard the content is dropped; otherwise it is kept up to the new
  // capacity. A failed allocation leaves the buffer empty and returns false.
  bool Reserve(uint32_t newCapacity, bool discard);
  // Reserves only when the capacity is below n.
  bool EnsureCapacity(uint32_t n, bool discard);
  // Sets the length, never above the capacity; returns the new length.
  uint32_t SetLength(uint32_t n);
  void Free();

  // Replaces the content with a file's bytes, at most limit of them when limit is not 0.
  // False (and an empty buffer) when the file cannot be opened or read whole.
  bool ReadFile(const char* path, uint32_t limit);
  bool ReadFile(const char16_t* path, uint32_t limit);
  // Writes count bytes (all of them when count is 0 or above the length) to a new or truncated
  // file. True only when every byte was written.
  bool WriteFile(const char* path, uint32_t count) const;
  bool WriteFile(const char16_t* path, uint32_t count) const;

  uint8_t* Data() { return storage_.get(); }
  const uint8_t* Data() const { return storage_.get(); }
  uint32_t Length() const { return length_; }
  uint32_t Capacity() const { return capacity_; }

 private:
  bool ReadOpened(std::FILE* file, uint32_t limit);
  bool WriteOpened(std::FILE* file, uint32_t count) const;

  uint32_t capacity_ = 0;
  uint32_t length_ = 0;
  std::unique_ptr<uint8_t[]> storage_;  // capacity_ + 2 bytes, or null
};
