#pragma once

#include <cstdint>

// A file written piece by piece from its end on and put on the disk before it is closed (a
// download's staging file): a handle on Windows, a descriptor elsewhere. What fails keeps the
// system's own code for why (GetLastError, errno), for the person and the log.
class OutputFile {
 public:
  enum class Opening {
    kCreateNew,  // made anew: nothing of that name may be there, not even a link to nowhere
    kAppend,     // a file that is there, written on from its end
  };

  OutputFile(const char16_t* path, Opening opening);
  // Closes the file when CloseOnDisk has not.
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  bool IsOpen() const { return file_ != kNoFile; }
  // Writes n bytes at the end. False when they could not all be written, or an earlier write
  // failed.
  bool Write(const uint8_t* bytes, uint32_t n);
  // Carries what was written to the disk and closes the file. False when either failed, or a
  // write did before.
  bool CloseOnDisk();
  // The system's code for the first failure, of the opening, a write, the flush or the close; 0
  // while nothing failed. A write the system cut short without a reason is a full disk.
  uint32_t Error() const { return error_; }

 private:
  static constexpr intptr_t kNoFile = -1;

  // Keeps the first failure's code; false.
  bool Failed(uint32_t error) {
    if (error_ == 0) error_ = error;
    return false;
  }

  intptr_t file_ = kNoFile;
  uint32_t error_ = 0;
};
