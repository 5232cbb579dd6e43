#include "tools/setupkit/tool_output_file.h"

#include <cstdio>

ToolOutputFile::~ToolOutputFile() {
  if (finished_ || path_.empty()) return;
  file_.reset();
  RemoveFile(path_.c_str());
}

bool ToolOutputFile::Open(const std::u16string& path) {
  file_ = OpenFileStream(path.c_str(), "wb");
  failed_ = !file_;
  // Only a file opened here is this one's to remove.
  if (file_) path_ = path;
  return !failed_;
}

bool ToolOutputFile::Write(const void* bytes, size_t n) {
  failed_ = failed_ || std::fwrite(bytes, 1, n, file_.get()) != n;
  if (!failed_) size_ += n;
  return !failed_;
}

bool ToolOutputFile::Overwrite(uint64_t offset, const std::string& bytes) {
  failed_ = failed_ || offset + bytes.size() > size_ || !Seek(offset) ||
            std::fwrite(bytes.data(), 1, bytes.size(), file_.get()) != bytes.size() || !Seek(size_);
  return !failed_;
}

bool ToolOutputFile::Seek(uint64_t offset) {
  if (offset > static_cast<uint64_t>(INT64_MAX)) return false;
#ifdef _WIN32
  return _fseeki64(file_.get(), static_cast<int64_t>(offset), SEEK_SET) == 0;
#else
  return fseeko(file_.get(), static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

bool ToolOutputFile::Finish() {
  if (failed_ || !file_) return false;
  // Closing flushes what the stream still holds: only then is every byte on disk.
  finished_ = std::fclose(file_.release()) == 0;
  return finished_;
}
