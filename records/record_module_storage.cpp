// The record operations that reach resources of executables; Windows only.
#include <windows.h>

#include "records/record_storage.h"
#include "support/files/xdata.h"
#include "support/pe/module_library.h"
#include "support/pe/resource_reader.h"
#include "support/pe/resource_update.h"

bool CRecordStorage::LoadFromModuleFile(const char16_t* path, const char16_t* type, int id) {
  ModuleLibrary library(path);
  return library.Handle() != nullptr && LoadFromModule(library.Handle(), type, id);
}

bool CRecordStorage::LoadFromModule(ModuleHandle module, const char16_t* type, int id) {
  uint32_t size = ReadResource(nullptr, 0, module, type, id);
  if (size == 0) return false;
  XData bytes;
  if (!bytes.Reserve(size + 1, true)) return false;
  uint32_t copied = ReadResource(bytes.Data(), bytes.Capacity(), module, type, id);
  if (copied == 0) return false;
  bytes.SetLength(copied);
  return ParseBytes(bytes.Data(), bytes.Length());
}

uint32_t CRecordStorage::SaveToModuleFile(const char16_t* path, const char16_t* type, int id,
                                          bool packed) {
  if (path == nullptr || type == nullptr) return 0;
  XData buffer;
  if (!SerializeToBuffer(buffer, packed)) return 0;
  ResourceUpdate update(path);
  if (!update.Put(type, id, buffer.Data(), buffer.Length()) || !update.Commit()) return 0;
  return buffer.Length();
}
