#pragma once

#include <windows.h>

// Owns a GDI object (bitmap, region, brush) and deletes it.
template <typename T>
class GdiObject {
 public:
  GdiObject() = default;
  explicit GdiObject(T object) : object_(object) {}
  ~GdiObject() { Reset(nullptr); }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;

  T Get() const { return object_; }
  void Reset(T object) {
    if (object_ != nullptr) DeleteObject(object_);
    object_ = object;
  }

 private:
  T object_ = nullptr;
};

// Owns a memory device context and deletes it.
class MemoryDC {
 public:
  MemoryDC() = default;
  explicit MemoryDC(HDC dc) : dc_(dc) {}
  ~MemoryDC() { Reset(nullptr); }
  MemoryDC(const MemoryDC&) = delete;
  MemoryDC& operator=(const MemoryDC&) = delete;

  HDC Get() const { return dc_; }
  void Reset(HDC dc) {
    if (dc_ != nullptr) DeleteDC(dc_);
    dc_ = dc;
  }

 private:
  HDC dc_ = nullptr;
};
