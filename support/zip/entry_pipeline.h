#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "support/core/entry_sink.h"

// Where a pipeline's worker reads items from. Each worker has a source of its own and uses it on
// its own thread only (a zip reader over the archive, say, since one serves a single thread).
class IEntrySource {
 public:
  virtual ~IEntrySource() = default;
  // Reads the item into sink, in order; true when it was read whole and right (its CRC
  // checked). False, too, as soon as sink refuses a piece.
  virtual bool ReadEntry(int item, IEntrySink& sink) = 0;
};

enum class EntryResult {
  kRead,     // read whole and right, and the sink took every piece
  kFailed,   // the read failed (a damaged entry, a failed CRC) or the sink refused a piece
  kStopped,  // the stop flag was set, or every item was handed already
};

// Reads items 0 to count - 1 on worker threads, one per source, while the thread that owns the
// pipeline takes them in item order and writes them out (WriteNext). Each worker reads into a
// few pieces of fixed size of its own and runs ahead of the writer by at most those, so memory
// stays at workers x pieces x piece size whatever the items' sizes, and an item's pieces reach
// the writer as they are read: a large one streams through. The stop flag is looked at between
// pieces and while anyone waits, so a stop ends every thread's work within milliseconds.
class EntryPipeline {
 public:
  static constexpr size_t kDefaultPieceSize = 256 << 10;
  static constexpr int kDefaultPiecesPerWorker = 4;

  // Starts one worker per source. stop may be null. A worker that cannot start (no thread, no
  // memory for its pieces) is left out; with none at all every item fails.
  EntryPipeline(std::vector<std::unique_ptr<IEntrySource>> sources, int count,
                const std::atomic<bool>* stop, size_t pieceSize = kDefaultPieceSize,
                int piecesPerWorker = kDefaultPiecesPerWorker);
  // Stops the workers and waits for them: within one piece's read.
  ~EntryPipeline();
  EntryPipeline(const EntryPipeline&) = delete;
  EntryPipeline& operator=(const EntryPipeline&) = delete;

  // Hands the next item to sink on the calling thread, piece by piece as its worker reads it.
  // Once sink refuses a piece, the rest of the item is dropped and its worker told to give it up.
  EntryResult WriteNext(IEntrySink& sink);

  // How many workers to give a pipeline on this machine: one per core, at least two (one reads
  // while the other waits for the writer), at most 16 (one writer takes no more).
  static int WorkerCount();
  // Workers actually running.
  int RunningWorkers() const { return static_cast<int>(threads_.size()); }

 private:
  struct Piece {
    std::unique_ptr<uint8_t[]> bytes;
    size_t length = 0;
    int item = -1;
    bool last = false;  // the item's final piece, which carries its result
    bool read = false;  // on the final piece: the item was read whole and right
  };
  // A worker's pieces, a ring the worker fills at head + ready and the writer empties at head.
  struct Worker {
    std::unique_ptr<IEntrySource> source;
    std::vector<Piece> ring;
    size_t head = 0;
    size_t ready = 0;
    bool waiting = false;  // for a free piece, on spaceFreed
    std::condition_variable spaceFreed;
  };
  class WorkerSink;

  void Run(Worker& worker);
  bool Stopping() const;
  // Waits for a free piece of worker's ring for item; null when the run stops, or when the writer
  // gave the item up and the piece is not its last.
  Piece* AcquirePiece(Worker& worker, int item, bool last);
  void Publish(Worker& worker);
  // The worker whose oldest ready piece belongs to item, or null; under lock_.
  Worker* HolderOf(int item);

  const int count_;
  const size_t pieceSize_;
  const std::atomic<bool>* const stop_;
  std::vector<std::unique_ptr<Worker>> workers_;
  std::vector<std::thread> threads_;
  std::atomic<int> nextToRead_{0};  // the next item a worker takes
  std::atomic<int> abandoned_{-1};  // an item the writer gave up on
  int nextToWrite_ = 0;             // the writer's own
  // Guards the rings and the waiting flags; each side is woken only when the other waits.
  std::mutex lock_;
  std::condition_variable pieceReady_;  // the writer waits on it
  bool writerWaiting_ = false;
  std::atomic<bool> stopping_{false};  // the pipeline is being destroyed
};
