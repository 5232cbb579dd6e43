#pragma once

#include <memory>
#include <vector>

#include "support/zip/entry_pipeline.h"
#include "support/zip/xzip.h"

// A pipeline worker's reader of chosen entries of an archive: item i is the archive's entry
// entries[i]. Each worker needs one of its own, opened on the same archive (a zip reader serves
// one thread); the list of entries is shared.
class ZipEntrySource : public IEntrySource {
 public:
  explicit ZipEntrySource(std::shared_ptr<const std::vector<int>> entries)
      : entries_(std::move(entries)) {}

  // The reader to open, before the pipeline starts.
  XZip& Archive() { return archive_; }

  bool ReadEntry(int item, IEntrySink& sink) override;

 private:
  std::shared_ptr<const std::vector<int>> entries_;
  XZip archive_;
};
