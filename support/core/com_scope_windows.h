#pragma once

#include <objbase.h>

// Scoped COM: the apartment of the calling thread, and references to interfaces.

// Joins the calling thread to a single-threaded apartment for the object's life, and leaves it
// only when this object joined it. A thread already in the multithreaded apartment stays there;
// COM is usable either way.
class ComApartment {
 public:
  ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComApartment() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  HRESULT result_;
};

// Owns one reference to a COM interface.
template <class Interface>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() {
    if (pointer_ != nullptr) pointer_->Release();
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;

  Interface* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }
  // For the functions that hand out a new reference through a void** argument.
  void** Receive() {
    if (pointer_ != nullptr) pointer_->Release();
    pointer_ = nullptr;
    return reinterpret_cast<void**>(&pointer_);
  }

 private:
  Interface* pointer_ = nullptr;
};
