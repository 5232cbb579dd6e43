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
  T Release() {
    T object = object_;
    object_ = nullptr;
    return object;
  }
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

// Holds the screen DC for the length of a scope.
class ScreenDC {
 public:
  ScreenDC() : dc_(::GetDC(nullptr)) {}
  ~ScreenDC() {
    if (dc_ != nullptr) ::ReleaseDC(nullptr, dc_);
  }
  ScreenDC(const ScreenDC&) = delete;
  ScreenDC& operator=(const ScreenDC&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

// Selects an object into a DC for the length of a scope.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~Selection() {
    if (previous_ != nullptr) SelectObject(dc_, previous_);
  }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;
  bool Selected() const { return previous_ != nullptr; }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};
