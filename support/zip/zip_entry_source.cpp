#include "support/zip/zip_entry_source.h"

bool ZipEntrySource::ReadEntry(int item, IEntrySink& sink) {
  if (item < 0 || static_cast<size_t>(item) >= entries_->size()) return false;
  return archive_.ReadItemTo((*entries_)[item], sink);
}
