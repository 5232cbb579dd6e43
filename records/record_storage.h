#pragma once

#include <cstdint>

#include "support/core/module_handle.h"

// How a record reaches memory, files and resources of executables. A record is a UTF-16 text
// that the record itself writes (WriteText) and reads (ParseText); this class wraps that text in
// one of two stored forms:
// - plain: the UTF-16LE mark FF FE, then the text without its terminating zero;
// - packed: the text with its terminating zero in the packed container.
// Loading accepts either form, and also bare UTF-16LE text. Every buffer is local to one call.
class CRecordStorage {
 public:
  static constexpr uint32_t kDefaultSaveBufferSize = 0x10000A;

  virtual ~CRecordStorage();

#ifdef _WIN32
  // Reads the record from resource (type, id) of an executable file, loaded as a library.
  virtual bool LoadFromModuleFile(const char16_t* path, const char16_t* type, int id);
  virtual bool LoadFromModule(ModuleHandle module, const char16_t* type, int id);
  // Writes the record as resource (type, id, language 2052) of an executable file, keeping its
  // other resources. Returns the bytes written; 0 leaves the file as it was.
  virtual uint32_t SaveToModuleFile(const char16_t* path, const char16_t* type, int id,
                                    bool packed);
#endif
  virtual bool LoadFromFile(const char16_t* path);
  // Returns the bytes written, 0 on failure.
  virtual uint32_t SaveToFile(const char16_t* path, bool packed);
  // Recognises the stored form of length bytes and hands the text to ParseText.
  virtual bool ParseBytes(const uint8_t* bytes, uint32_t length);
  // Builds the stored form in output, which holds capacity bytes. Returns its size, 0 on failure.
  // A buffer of SaveBufferSize bytes holds the record's largest stored form.
  virtual uint32_t Serialize(uint8_t* output, uint32_t capacity, bool packed);
  // The record's own parser of its zero-terminated text.
  virtual bool ParseText(const char16_t* text) = 0;
  // The record's own writer: returns the units written including the terminating zero, 0 when
  // the capacity does not suffice.
  virtual int WriteText(char16_t* out, int capacity) = 0;

  virtual uint32_t SaveBufferSize() const { return saveBufferSize_; }

 protected:
  explicit CRecordStorage(uint32_t saveBufferSize = kDefaultSaveBufferSize);
  CRecordStorage(const CRecordStorage&) = default;
  CRecordStorage& operator=(const CRecordStorage&) = default;

  // Serialises into a fresh buffer of SaveBufferSize bytes; false when it yields nothing.
  bool SerializeToBuffer(class XData& buffer, bool packed);

 private:
  uint32_t saveBufferSize_;
};
