#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "support/files/file_stream.h"

// A file written from its start, whose bytes written so far can be written again in place, and
// which is removed unless it is finished: a failure never leaves part of an output behind.
class ToolOutputFile {
 public:
  ToolOutputFile() = default;
  // Removes the file unless Finish succeeded.
  ~ToolOutputFile();
  ToolOutputFile(const ToolOutputFile&) = delete;
  ToolOutputFile& operator=(const ToolOutputFile&) = delete;

  // Creates the file at path, or empties it; false when it cannot be opened for writing.
  bool Open(const std::u16string& path);
  // Appends n bytes. False when they cannot be written, and for every later call.
  bool Write(const void* bytes, size_t n);
  bool Write(const std::string& bytes) { return Write(bytes.data(), bytes.size()); }
  // Writes bytes over as many written before, from offset on; false as Write.
  bool Overwrite(uint64_t offset, const std::string& bytes);
  // Bytes appended so far.
  uint64_t Size() const { return size_; }
  // Closes the file and keeps it when every byte reached it; false, with the file removed,
  // otherwise.
  bool Finish();

 private:
  bool Seek(uint64_t offset);

  std::u16string path_;
  FileStream file_;
  uint64_t size_ = 0;
  bool failed_ = false;
  bool finished_ = false;
};
