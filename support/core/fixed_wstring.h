#pragma once

#include <cstdint>
#include <string_view>

#include "support/core/text_length.h"

// UTF-16 text in a fixed array embedded in its owner, so records, titles, paths and URLs never
// allocate. Copies that do not fit are cut silently. The capacity-32 string keeps 32 characters
// (it holds a 32-digit MD5 digest); every other capacity keeps N - 1.
template <int N>
class FixedWString {
  static_assert(N == 32 || N == 64 || N == 128 || N == 256 || N == 512 || N == 1024,
                "the system uses six capacities");

 public:
  static constexpr int kCapacity = N;
  static constexpr int kMaxLength = N == 32 ? 32 : N - 1;

  FixedWString() { units_[0] = 0; }
  FixedWString(const FixedWString& other) { CopyFrom(other.units_, other.length_); }
  FixedWString& operator=(const FixedWString& other) {
    if (this != &other) CopyFrom(other.units_, other.length_);
    return *this;
  }

  // Copies up to the source's zero or kMaxLength units; a null source empties the string.
  FixedWString& Assign(const char16_t* source) {
    if (source == units_) return *this;
    if (source == nullptr) return Clear();
    int n = 0;
    while (n < kMaxLength && source[n] != 0) ++n;
    return CopyFrom(source, n);
  }

  // Copies up to the source's zero or min(count, kMaxLength) units.
  FixedWString& Assign(const char16_t* source, int count) {
    if (source == units_) return *this;
    if (source == nullptr || count <= 0) return Clear();
    int limit = count < kMaxLength ? count : kMaxLength;
    int n = 0;
    while (n < limit && source[n] != 0) ++n;
    return CopyFrom(source, n);
  }

  // Appends count units, cut so the total stays within kMaxLength. Returns the number appended.
  int Append(const char16_t* source, int count) {
    if (source == nullptr || count <= 0 || source == units_) return 0;
    int room = kMaxLength - length_;
    if (count > room) count = room;
    if (count <= 0) return 0;
    for (int i = 0; i < count; ++i) units_[length_ + i] = source[i];
    length_ += count;
    units_[length_] = 0;
    return count;
  }

  int Append(const char16_t* source) { return Append(source, TextLength(source)); }

  FixedWString& Clear() {
    units_[0] = 0;
    length_ = 0;
    return *this;
  }

  const char16_t* Units() const { return units_; }
  int Length() const { return length_; }
  bool Empty() const { return length_ == 0; }
  // The same units, case and all.
  bool operator==(const FixedWString& other) const {
    return std::u16string_view(units_, length_) == std::u16string_view(other.units_, other.length_);
  }
  bool operator!=(const FixedWString& other) const { return !(*this == other); }

 private:
  FixedWString& CopyFrom(const char16_t* source, int n) {
    for (int i = 0; i < n; ++i) units_[i] = source[i];
    units_[n] = 0;
    length_ = n;
    return *this;
  }

  char16_t units_[N + 2];
  int32_t length_ = 0;
};
