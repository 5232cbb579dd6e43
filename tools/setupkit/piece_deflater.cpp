#include "tools/setupkit/piece_deflater.h"

#include <zlib.h>

#include <algorithm>
#include <memory>
#include <system_error>

namespace {

// At most this many workers: one writer, encrypting and writing on its own thread, keeps no
// more busy.
constexpr unsigned kMostWorkers = 16;
// Pieces read ahead of the writer: two for each worker keep them all busy while the writer waits
// for the oldest, and no more than this many bound the memory (two pieces' worth each, read and
// deflated) whatever the machine.
constexpr size_t kMostPiecesInFlight = 24;
// zlib's default memory level, with which zip entries were always deflated.
constexpr int kMemoryLevel = 8;
// Output room added when deflate asks for more than its bound gave.
constexpr size_t kMoreOutput = 64 << 10;

int WorkerCount(int wanted) {
  if (wanted > 0) return wanted;
  return static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, kMostWorkers));
}

// Deflates input raw, with the settings zip entries were always deflated with, ending with a full
// flush, or with the stream's end when last. dataType receives deflate's guess of text or not.
bool DeflateRaw(const std::vector<uint8_t>& input, bool last, std::vector<uint8_t>& output,
                int& dataType) {
  z_stream stream = {};
  if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, kMemoryLevel,
                   Z_DEFAULT_STRATEGY) != Z_OK) {
    return false;
  }
  const int flush = last ? Z_FINISH : Z_FULL_FLUSH;
  output.resize(deflateBound(&stream, static_cast<uLong>(input.size())));
  stream.next_in = const_cast<Bytef*>(input.data());
  stream.avail_in = static_cast<uInt>(input.size());
  stream.next_out = output.data();
  stream.avail_out = static_cast<uInt>(output.size());
  int status;
  do {
    if (stream.avail_out == 0) {
      const size_t done = output.size();
      output.resize(done + kMoreOutput);
      stream.next_out = output.data() + done;
      stream.avail_out = static_cast<uInt>(kMoreOutput);
    }
    status = deflate(&stream, flush);
    // A flush is done when deflate leaves room unused; the end when it says so.
  } while (status == Z_OK && (last || stream.avail_out == 0));
  output.resize(stream.total_out);
  dataType = stream.data_type;
  // A stream left after a full flush is ended early by design: deflateEnd's complaint about
  // that says nothing about the bytes made.
  deflateEnd(&stream);
  return stream.avail_in == 0 && (last ? status == Z_STREAM_END : status == Z_OK);
}

}  // namespace

struct PieceDeflater::Piece {
  std::vector<uint8_t> input;  // freed once deflated
  size_t length = 0;
  bool last = false;
  std::vector<uint8_t> output;
  bool deflated = false;
  uint32_t crc = 0;
  int dataType = Z_UNKNOWN;
  bool done = false;  // under lock_ while queued

  void Deflate() {
    crc = static_cast<uint32_t>(crc32_z(0, input.data(), input.size()));
    deflated = DeflateRaw(input, last, output, dataType);
    std::vector<uint8_t>().swap(input);
  }
};

PieceDeflater::PieceDeflater(size_t pieceSize, int workers)
    : pieceSize_(pieceSize),
      mostInFlight_(std::min(kMostPiecesInFlight, 2 * static_cast<size_t>(WorkerCount(workers)))) {
  for (int i = WorkerCount(workers); i > 0; --i) {
    try {
      threads_.emplace_back([this] { Work(); });
    } catch (const std::system_error&) {
      break;  // fewer workers; with none the caller's thread deflates every piece
    }
  }
}

PieceDeflater::~PieceDeflater() {
  {
    std::lock_guard<std::mutex> guard(lock_);
    stopping_ = true;
  }
  queued_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

void PieceDeflater::Work() {
  std::unique_lock<std::mutex> lock(lock_);
  for (;;) {
    queued_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
    if (queue_.empty()) return;
    Piece* piece = queue_.front();
    queue_.pop_front();
    lock.unlock();
    piece->Deflate();
    lock.lock();
    piece->done = true;
    done_.notify_all();
  }
}

void PieceDeflater::Start(Piece& piece, bool here) {
  if (here || threads_.empty()) {
    piece.Deflate();
    piece.done = true;
    return;
  }
  {
    std::lock_guard<std::mutex> guard(lock_);
    queue_.push_back(&piece);
  }
  queued_.notify_one();
}

void PieceDeflater::WaitFor(const Piece& piece) {
  std::unique_lock<std::mutex> lock(lock_);
  done_.wait(lock, [&piece] { return piece.done; });
}

bool PieceDeflater::Deflate(uint64_t size, const Reader& read, const Writer& write,
                            Result& result) {
  const uint64_t count = size == 0 ? 1 : (size + pieceSize_ - 1) / pieceSize_;
  // The pieces handed out, oldest first: each is written once deflated, in order.
  std::deque<std::unique_ptr<Piece>> inFlight;
  uint64_t handedOut = 0;
  uint64_t left = size;
  uLong crc = crc32(0, nullptr, 0);
  bool ok = true;
  bool first = true;
  for (;;) {
    while (ok && handedOut < count && inFlight.size() < mostInFlight_) {
      auto piece = std::make_unique<Piece>();
      piece->length = static_cast<size_t>(std::min<uint64_t>(left, pieceSize_));
      piece->last = ++handedOut == count;
      left -= piece->length;
      piece->input.resize(piece->length);
      ok = read(piece->input.data(), piece->length);
      if (!ok) break;
      // One piece alone is deflated here: a handover would only cost time.
      Start(*piece, count == 1);
      inFlight.push_back(std::move(piece));
    }
    // After a failure the pieces still queued are waited for, as the workers hold them.
    if (inFlight.empty()) break;
    Piece& oldest = *inFlight.front();
    WaitFor(oldest);
    ok = ok && oldest.deflated && write(oldest.output);
    // The guess made on the first piece stands for the whole, as in one stream deflate makes it
    // on the first block.
    if (first) result.dataType = oldest.dataType;
    first = false;
    crc = crc32_combine(crc, oldest.crc, static_cast<z_off_t>(oldest.length));
    result.pieces.push_back({oldest.length, oldest.crc});
    inFlight.pop_front();
  }
  result.crc = static_cast<uint32_t>(crc);
  return ok;
}
