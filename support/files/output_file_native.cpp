#include "support/files/output_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "support/files/filesystem_path.h"
#include "support/files/whole_write.h"

OutputFile::OutputFile(const char16_t* path, Opening opening) {
  if (path == nullptr) {
    Failed(EINVAL);
    return;
  }
  // O_EXCL refuses any name that is there, a link included.
  const int flags = opening == Opening::kCreateNew ? O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC
                                                   : O_WRONLY | O_APPEND | O_CLOEXEC;
  const int descriptor = open(ToNativePathBytes(path).c_str(), flags, 0666);
  if (descriptor < 0) {
    Failed(static_cast<uint32_t>(errno));
    return;
  }
  file_ = descriptor;
}

OutputFile::~OutputFile() {
  if (IsOpen()) close(static_cast<int>(file_));
}

bool OutputFile::Write(const uint8_t* bytes, uint32_t n) {
  if (!IsOpen() || error_ != 0) return false;
  const int descriptor = static_cast<int>(file_);
  const WriteCall write = [descriptor](const uint8_t* piece, uint32_t count, uint32_t* written,
                                       uint32_t* error) {
    const ssize_t done = ::write(descriptor, piece, count);
    if (done < 0) {
      *error = static_cast<uint32_t>(errno);
      return false;
    }
    *written = static_cast<uint32_t>(done);
    return true;
  };
  const uint32_t error = WriteWhole(write, bytes, n, ENOSPC);
  return error == 0 || Failed(error);
}

bool OutputFile::CloseOnDisk() {
  if (!IsOpen()) return false;
  const int descriptor = static_cast<int>(file_);
  file_ = kNoFile;
  if (fsync(descriptor) != 0) Failed(static_cast<uint32_t>(errno));
  if (close(descriptor) != 0) Failed(static_cast<uint32_t>(errno));
  return error_ == 0;
}
