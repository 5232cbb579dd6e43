#include "support/journal/journal_target.h"

#include <cstdio>
#include <mutex>

#include "support/files/file_stream.h"

namespace {

class StreamStagedFile : public IStagedFile {
 public:
  StreamStagedFile(IJournalTarget& target, const std::u16string& staging, FileStream file)
      : target_(target), staging_(staging), file_(std::move(file)) {
    // The pieces are large already: copying them through the stream's own buffer gains nothing.
    std::setvbuf(file_.get(), nullptr, _IONBF, 0);
  }

  bool Put(const uint8_t* bytes, size_t count) override {
    written_ = written_ && std::fwrite(bytes, 1, count, file_.get()) == count;
    return written_;
  }

  bool PutAt(uint64_t offset, const uint8_t* bytes, size_t count) override {
    // One stream, one place: the workers take turns.
    std::lock_guard<std::mutex> hold(lock_);
    written_ = written_ && SeekStream(file_.get(), offset) &&
               std::fwrite(bytes, 1, count, file_.get()) == count;
    return written_;
  }

  bool Place(const std::u16string& path) override {
    // Closing tells whether the last bytes reached the file.
    const bool closed = std::fclose(file_.release()) == 0;
    return closed && written_ && (path == staging_ || target_.RenameFile(staging_, path));
  }

 private:
  IJournalTarget& target_;
  const std::u16string staging_;
  FileStream file_;
  std::mutex lock_;
  bool written_ = true;
};

}  // namespace

std::unique_ptr<IStagedFile> IJournalTarget::CreateStagedFile(const std::u16string& staging) {
  // A C stream cannot be asked for a new file alone in a way every C library knows: it looks.
  if (PathExists(staging)) return nullptr;
  FileStream file = OpenFileStream(staging.c_str(), "wb");
  if (!file) return nullptr;
  return std::make_unique<StreamStagedFile>(*this, staging, std::move(file));
}
