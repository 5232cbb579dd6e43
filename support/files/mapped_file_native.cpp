#include "support/files/mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/files/filesystem_path.h"

MappedFile::MappedFile(const char16_t* path, Mapping mapping, uint64_t size) {
  if (path == nullptr) return;
  writable_ = mapping == Mapping::kNewFile;
  // O_EXCL refuses any name that is there, a link included.
  const int descriptor =
      writable_ ? open(ToNativePathBytes(path).c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666)
                : open(ToNativePathBytes(path).c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return;
  file_ = descriptor;
  struct stat status;
  if (writable_) {
    if (ftruncate(descriptor, static_cast<off_t>(size)) != 0) return;
  } else if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
    return;
  } else {
    size = static_cast<uint64_t>(status.st_size);
  }
  size_ = size;
  if (size > 0) {
    void* view = mmap(nullptr, size, writable_ ? PROT_READ | PROT_WRITE : PROT_READ, MAP_SHARED,
                      descriptor, 0);
    if (view == MAP_FAILED) return;
    data_ = static_cast<uint8_t*>(view);
  }
  open_ = true;
}

MappedFile::~MappedFile() {
  Unmap();
  if (file_ >= 0) close(static_cast<int>(file_));
}

void MappedFile::Unmap() {
  if (data_ != nullptr) munmap(data_, size_);
  data_ = nullptr;
}

bool MappedFile::CloseOnDisk() {
  if (!open_ || !writable_) return false;
  bool done = data_ == nullptr || msync(data_, size_, MS_SYNC) == 0;
  Unmap();
  done = fsync(static_cast<int>(file_)) == 0 && done;
  done = close(static_cast<int>(file_)) == 0 && done;
  file_ = -1;
  open_ = false;
  return done;
}
