#pragma once

#include <cstdint>

#include "support/core/module_handle.h"

class XData;

// Whether module has resource (type, id), even an empty one.
bool HasResource(ModuleHandle module, const char16_t* type, int id);

// Copies up to capacity raw bytes of resource (type, id) of module. With a null destination it
// returns the resource's size. 0 when the module, type or resource is missing.
uint32_t ReadResource(void* destination, uint32_t capacity, ModuleHandle module,
                      const char16_t* type, int id);

// Where resource (type, id) of module lies in memory, its size in *size: the bytes stay as long
// as module is loaded. Null when the module, type or resource is missing, or it is empty.
const uint8_t* ResourceBytes(ModuleHandle module, const char16_t* type, int id, uint32_t* size);

// Fills buffer with a resource's content, unpacked when it is a container. On failure the
// buffer's length is 0; on success it holds the whole content. present, when given, receives
// whether the resource is there at all, so that a damaged one is told from a missing one.
bool LoadPackedResource(XData& buffer, ModuleHandle module, const char16_t* type, int id,
                        bool* present = nullptr);
bool LoadPackedResourceFromFile(XData& buffer, const char16_t* path, const char16_t* type, int id,
                                bool* present = nullptr);
