#pragma once

#include <string>
#include <utility>

#include "support/files/file_stream.h"

// A file made for a step of the work, removed when it goes out of scope, whatever it holds then.
class ScratchFile {
 public:
  explicit ScratchFile(std::u16string path) : path_(std::move(path)) {}
  ~ScratchFile() { RemoveFile(path_.c_str()); }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  const std::u16string& Path() const { return path_; }

 private:
  std::u16string path_;
};
