#include "support/pe/resource_reader.h"

#include <windows.h>

#include <cstring>

#include "support/container/packed_container.h"
#include "support/core/wide_text.h"
#include "support/files/xdata.h"
#include "support/pe/module_library.h"

const uint8_t* ResourceBytes(ModuleHandle module, const char16_t* type, int id, uint32_t* size) {
  *size = 0;
  if (module == nullptr || type == nullptr) return nullptr;
  auto handle = static_cast<HMODULE>(module);
  HRSRC resource = FindResourceW(handle, MAKEINTRESOURCEW(id), AsWide(type));
  if (resource == nullptr) return nullptr;
  HGLOBAL loaded = LoadResource(handle, resource);
  const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  *size = bytes != nullptr ? SizeofResource(handle, resource) : 0;
  return *size != 0 ? static_cast<const uint8_t*>(bytes) : nullptr;
}

bool HasResource(ModuleHandle module, const char16_t* type, int id) {
  return module != nullptr && type != nullptr &&
         FindResourceW(static_cast<HMODULE>(module), MAKEINTRESOURCEW(id), AsWide(type)) != nullptr;
}

uint32_t ReadResource(void* destination, uint32_t capacity, ModuleHandle module,
                      const char16_t* type, int id) {
  uint32_t size = 0;
  const uint8_t* bytes = ResourceBytes(module, type, id, &size);
  if (bytes == nullptr || destination == nullptr) return size;
  if (size > capacity) size = capacity;
  std::memcpy(destination, bytes, size);
  return size;
}

bool LoadPackedResource(XData& buffer, ModuleHandle module, const char16_t* type, int id,
                        bool* present) {
  buffer.SetLength(0);
  uint32_t size = ReadResource(nullptr, 0, module, type, id);
  if (present != nullptr) *present = size != 0;
  if (size == 0) return false;
  XData raw;
  if (!raw.Reserve(size, true)) return false;
  uint32_t read = ReadResource(raw.Data(), raw.Capacity(), module, type, id);
  if (read == 0) return false;
  // A container needs room for its header on top of its payload.
  if (!buffer.Reserve(read, true)) return false;
  uint32_t unpacked = UnpackContainer(buffer.Data(), buffer.Capacity(), raw.Data(), read);
  buffer.SetLength(unpacked);
  return unpacked != 0;
}

bool LoadPackedResourceFromFile(XData& buffer, const char16_t* path, const char16_t* type, int id,
                                bool* present) {
  buffer.SetLength(0);
  if (present != nullptr) *present = false;
  ModuleLibrary library(path);
  return library.Handle() != nullptr &&
         LoadPackedResource(buffer, library.Handle(), type, id, present);
}
