#pragma once

#include <cstddef>
#include <cstdint>

#include "support/entry_sink.h"
#include "support/file_stream.h"

// Writes an entry's pieces straight into a new file as they arrive, so a file of any size costs
// no more memory than one piece. Whether the content was right is the reader's to say: the file
// is whole only once Finish succeeds and the reader reported the entry read.
class StagingFileSink : public IEntrySink {
 public:
  // Creates (or truncates) the file at path; IsOpen tells whether it could.
  explicit StagingFileSink(const char16_t* path);

  bool IsOpen() const { return file_ != nullptr; }
  bool Put(const uint8_t* bytes, size_t count) override;
  // Closes the file; false when it never opened, a piece could not be written, or closing
  // failed (the last bytes did not reach it).
  bool Finish();

 private:
  FileStream file_;
  bool written_ = true;
};
