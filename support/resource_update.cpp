#include "support/resource_update.h"

#include <windows.h>

#include "support/wide_text.h"

namespace {

constexpr WORD kResourceLanguage = 2052;  // Chinese (Simplified), as the installer expects

}  // namespace

ResourceUpdate::ResourceUpdate(const char16_t* path)
    : handle_(path == nullptr ? nullptr : BeginUpdateResourceW(AsWide(path), FALSE)) {}

ResourceUpdate::~ResourceUpdate() {
  if (handle_ != nullptr) EndUpdateResourceW(handle_, TRUE);
}

bool ResourceUpdate::Put(const char16_t* type, int id, const uint8_t* bytes, uint32_t n) {
  return handle_ != nullptr && type != nullptr &&
         UpdateResourceW(handle_, AsWide(type), MAKEINTRESOURCEW(id), kResourceLanguage,
                         const_cast<uint8_t*>(bytes), n);
}

bool ResourceUpdate::Commit() {
  HANDLE handle = handle_;
  handle_ = nullptr;
  return handle != nullptr && EndUpdateResourceW(handle, FALSE);
}
