#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include "support/core/entry_sink.h"
#include "support/zip/archive_bytes.h"
#include "support/zip/entry_pipeline.h"
#include "support/zip/piece_index.h"

// Reads an entry with a piece index on every reader's own worker at once. Each worker takes the
// next piece, reads its deflated bytes through its reader, decrypts them from the piece's cipher
// state, inflates them with a stream of its own (a full flush ends the piece before, so they
// inflate alone) and puts its bytes at their place in sink, one small buffer at a time: memory
// stays at two buffers a worker whatever the pieces' sizes. kRead only when each piece made
// exactly its length with its CRC, the last ending the deflate stream, and the pieces' CRCs
// combined are the entry's; kFailed at the first that does not, or when sink refuses a piece;
// kStopped when stop (which may be null) was set, looked at between buffers. kFailed, too,
// without readers or with a null one.
EntryResult ReadIndexedEntry(const IndexedEntry& entry,
                             const std::vector<std::unique_ptr<ArchiveBytes>>& readers,
                             IPositionedSink& sink, const std::atomic<bool>* stop);
