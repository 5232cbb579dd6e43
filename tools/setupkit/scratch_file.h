#pragma once

#include <filesystem>
#include <string>
#include <system_error>
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

// A folder made for a step of the work, removed with all it holds when it goes out of scope; an
// empty path names none.
class ScratchFolder {
 public:
  explicit ScratchFolder(std::u16string path) : path_(std::move(path)) {}
  ~ScratchFolder() {
    std::error_code error;
    if (!path_.empty()) std::filesystem::remove_all(std::filesystem::path(path_), error);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::u16string& Path() const { return path_; }

 private:
  std::u16string path_;
};
