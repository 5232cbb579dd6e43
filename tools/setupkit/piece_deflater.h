#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// Deflates an entry's bytes raw, as zip entries hold them, on every core. Bytes up to one piece
// are one deflate stream, made as they always were. Larger ones are cut into pieces of a fixed
// size, each deflated on its own by a worker and ended with a full flush (the last one with the
// stream's end), so that the pieces join into one standard deflate stream that any inflater
// reads, and no piece depends on another's bytes. The pieces are cut by size alone, so the bytes
// are the same on any number of cores. At most a few pieces are in memory at a time, whatever
// the entry's size.
class PieceDeflater {
 public:
  // Pieces of 4 MB: deflate's 32 KB window loses little at the cuts.
  static constexpr size_t kDefaultPieceSize = 4 << 20;

  // Reads the next n bytes of the entry into bytes; false when they cannot be read.
  using Reader = std::function<bool(uint8_t* bytes, size_t n)>;
  // Takes the next piece's deflated bytes, which it may change; false to give up.
  using Writer = std::function<bool(std::vector<uint8_t>& deflated)>;

  // What a piece was before it was deflated.
  struct PieceBytes {
    size_t length = 0;
    uint32_t crc = 0;
  };
  struct Result {
    uint32_t crc = 0;  // of the bytes read
    int dataType = 0;  // deflate's guess whether they are text (Z_TEXT) or not
    std::vector<PieceBytes> pieces;  // in the order written
  };

  // workers 0: one per core.
  explicit PieceDeflater(size_t pieceSize = kDefaultPieceSize, int workers = 0);
  ~PieceDeflater();
  PieceDeflater(const PieceDeflater&) = delete;
  PieceDeflater& operator=(const PieceDeflater&) = delete;

  // Deflates size bytes taken from read, handing the stream to write in order. False when a
  // read, a deflate or a write fails; what was written then is only part of the stream.
  bool Deflate(uint64_t size, const Reader& read, const Writer& write, Result& result);

 private:
  struct Piece;

  // Deflates pieces as they are queued, until the deflater goes.
  void Work();
  // Deflates piece on a worker, or here (also when there are none).
  void Start(Piece& piece, bool here);
  void WaitFor(const Piece& piece);

  const size_t pieceSize_;
  const size_t mostInFlight_;
  std::vector<std::thread> threads_;
  std::mutex lock_;
  std::condition_variable queued_;  // the workers wait on it
  std::condition_variable done_;    // the caller waits on it
  std::deque<Piece*> queue_;
  bool stopping_ = false;
};
