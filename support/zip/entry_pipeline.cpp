#include "support/zip/entry_pipeline.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>
#include <system_error>

namespace {

// The stop flag is another thread's and wakes no one: waits look at it this often.
constexpr std::chrono::milliseconds kStopPoll(10);
constexpr int kMostWorkers = 16;

}  // namespace

// What a worker's source writes into: the worker's pieces, filled in turn and handed to the
// writer as each fills, the last one with the item's result.
class EntryPipeline::WorkerSink : public IEntrySink {
 public:
  WorkerSink(EntryPipeline& pipeline, Worker& worker, int item)
      : pipeline_(pipeline), worker_(worker), item_(item) {}

  bool Put(const uint8_t* bytes, size_t count) override {
    if (pipeline_.Stopping() || pipeline_.abandoned_.load() == item_) return false;
    while (count > 0) {
      if (piece_ == nullptr && (piece_ = pipeline_.AcquirePiece(worker_, item_, false)) == nullptr) {
        return false;
      }
      const size_t taken = std::min(count, pipeline_.pieceSize_ - piece_->length);
      std::memcpy(piece_->bytes.get() + piece_->length, bytes, taken);
      piece_->length += taken;
      bytes += taken;
      count -= taken;
      if (piece_->length == pipeline_.pieceSize_) {
        pipeline_.Publish(worker_);
        piece_ = nullptr;
      }
    }
    return true;
  }

  // Hands on the item's last piece (empty when its bytes filled the one before) with the result,
  // also for an item the writer gave up on: it waits for that piece.
  void Finish(bool read) {
    if (piece_ == nullptr && (piece_ = pipeline_.AcquirePiece(worker_, item_, true)) == nullptr) {
      return;
    }
    piece_->last = true;
    piece_->read = read;
    pipeline_.Publish(worker_);
    piece_ = nullptr;
  }

 private:
  EntryPipeline& pipeline_;
  Worker& worker_;
  const int item_;
  Piece* piece_ = nullptr;  // the piece being filled, not yet the writer's
};

EntryPipeline::EntryPipeline(std::vector<std::unique_ptr<IEntrySource>> sources, int count,
                             const std::atomic<bool>* stop, size_t pieceSize,
                             int piecesPerWorker)
    : count_(count), pieceSize_(pieceSize > 0 ? pieceSize : 1), stop_(stop) {
  piecesPerWorker = std::max(piecesPerWorker, 1);
  for (std::unique_ptr<IEntrySource>& source : sources) {
    if (!source) continue;
    auto worker = std::make_unique<Worker>();
    worker->ring.resize(static_cast<size_t>(piecesPerWorker));
    bool allocated = true;
    for (Piece& piece : worker->ring) {
      piece.bytes.reset(new (std::nothrow) uint8_t[pieceSize_]);
      allocated = allocated && piece.bytes != nullptr;
    }
    if (!allocated) continue;
    worker->source = std::move(source);
    try {
      threads_.emplace_back(&EntryPipeline::Run, this, std::ref(*worker));
    } catch (const std::system_error&) {
      continue;
    }
    workers_.push_back(std::move(worker));
  }
}

EntryPipeline::~EntryPipeline() {
  {
    // Under the lock, so that no waiter misses the change between its look and its wait.
    std::lock_guard<std::mutex> hold(lock_);
    stopping_.store(true);
  }
  pieceReady_.notify_all();
  for (const std::unique_ptr<Worker>& worker : workers_) worker->spaceFreed.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

int EntryPipeline::WorkerCount() {
  const int cores = static_cast<int>(std::thread::hardware_concurrency());
  return std::clamp(cores, 2, kMostWorkers);
}

bool EntryPipeline::Stopping() const {
  return stopping_.load() || (stop_ != nullptr && stop_->load());
}

void EntryPipeline::Run(Worker& worker) {
  for (;;) {
    const int item = nextToRead_.fetch_add(1);
    if (item >= count_ || Stopping()) return;
    WorkerSink sink(*this, worker, item);
    const bool read = worker.source->ReadEntry(item, sink);
    sink.Finish(read);
  }
}

EntryPipeline::Piece* EntryPipeline::AcquirePiece(Worker& worker, int item, bool last) {
  std::unique_lock<std::mutex> hold(lock_);
  for (;;) {
    if (Stopping() || (!last && abandoned_.load() == item)) return nullptr;
    if (worker.ready < worker.ring.size()) break;
    worker.waiting = true;
    worker.spaceFreed.wait_for(hold, kStopPoll);
    worker.waiting = false;
  }
  Piece& piece = worker.ring[(worker.head + worker.ready) % worker.ring.size()];
  piece.length = 0;
  piece.item = item;
  piece.last = false;
  piece.read = false;
  return &piece;
}

void EntryPipeline::Publish(Worker& worker) {
  std::lock_guard<std::mutex> hold(lock_);
  ++worker.ready;
  if (writerWaiting_) pieceReady_.notify_one();
}

EntryPipeline::Worker* EntryPipeline::HolderOf(int item) {
  for (const std::unique_ptr<Worker>& worker : workers_) {
    if (worker->ready > 0 && worker->ring[worker->head].item == item) return worker.get();
  }
  return nullptr;
}

EntryResult EntryPipeline::WriteNext(IEntrySink& sink) {
  if (nextToWrite_ >= count_ || (stop_ != nullptr && stop_->load())) return EntryResult::kStopped;
  const int item = nextToWrite_++;
  if (workers_.empty()) return EntryResult::kFailed;
  bool taken = true;  // the sink has taken every piece so far
  std::unique_lock<std::mutex> hold(lock_);
  Worker* worker = nullptr;
  for (;;) {
    if (Stopping()) return EntryResult::kStopped;
    // Once the item's first piece is out, its worker hands on nothing else until its last.
    if (worker == nullptr) worker = HolderOf(item);
    if (worker == nullptr || worker->ready == 0) {
      writerWaiting_ = true;
      pieceReady_.wait_for(hold, kStopPoll);
      writerWaiting_ = false;
      continue;
    }
    Piece& piece = worker->ring[worker->head];
    hold.unlock();
    if (taken && piece.length > 0 && !sink.Put(piece.bytes.get(), piece.length)) {
      taken = false;
      abandoned_.store(item);
    }
    const bool last = piece.last;
    const bool read = piece.read;
    hold.lock();
    worker->head = (worker->head + 1) % worker->ring.size();
    --worker->ready;
    // A waiting worker is woken once half its ring is free, not for every piece: each wake costs
    // a round trip through the system, which under Wine weighs more than the piece.
    if (worker->waiting && 2 * worker->ready <= worker->ring.size()) {
      worker->spaceFreed.notify_one();
    }
    if (last) return taken && read ? EntryResult::kRead : EntryResult::kFailed;
  }
}
