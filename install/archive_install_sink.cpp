#include "install/archive_install_sink.h"

#include <cstdio>

StagingFileSink::StagingFileSink(const char16_t* path) : file_(OpenFileStream(path, "wb")) {
  // The pieces are large already: copying them through the stream's own buffer gains nothing.
  if (file_) std::setvbuf(file_.get(), nullptr, _IONBF, 0);
}

bool StagingFileSink::Put(const uint8_t* bytes, size_t count) {
  written_ = written_ && file_ && std::fwrite(bytes, 1, count, file_.get()) == count;
  return written_;
}

bool StagingFileSink::Finish() {
  if (!file_) return false;
  const bool closed = std::fclose(file_.release()) == 0;
  return closed && written_;
}
