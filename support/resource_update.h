#pragma once

#include <cstdint>

// A change to the resources of an executable file: resources put in are written together when
// committed, in the language the installer reads (Chinese, Simplified), and the file is left as
// it was unless the update is committed.
class ResourceUpdate {
 public:
  explicit ResourceUpdate(const char16_t* path);
  ~ResourceUpdate();
  ResourceUpdate(const ResourceUpdate&) = delete;
  ResourceUpdate& operator=(const ResourceUpdate&) = delete;

  // Puts n bytes as resource (type, id), replacing one that is there. False when the file could
  // not be opened for the update or the resource was refused.
  bool Put(const char16_t* type, int id, const uint8_t* bytes, uint32_t n);
  // Writes every resource put; the update is over afterwards whatever the result.
  bool Commit();

 private:
  void* handle_;
};
