#include "support/zip/indexed_entry_reader.h"

#include <zlib.h>

#include <algorithm>
#include <new>
#include <system_error>
#include <thread>

#include "support/zip/entry_cipher.h"

namespace {

// What a worker reads and inflates at a time.
constexpr size_t kBufferSize = 256 << 10;
// What inflate's data_type says when it stopped between two blocks (128), on a byte's edge (no
// unused bits, which it adds) and before the last block (which adds 64).
constexpr int kBetweenBlocks = 128;

// A raw inflate stream, ended however its piece ends.
class RawInflater {
 public:
  RawInflater() { ready_ = inflateInit2(&stream_, -MAX_WBITS) == Z_OK; }
  ~RawInflater() {
    if (ready_) inflateEnd(&stream_);
  }
  RawInflater(const RawInflater&) = delete;
  RawInflater& operator=(const RawInflater&) = delete;

  bool Ready() const { return ready_; }
  z_stream& Stream() { return stream_; }

 private:
  z_stream stream_ = {};
  bool ready_ = false;
};

// What the workers share while they read one entry.
struct Reading {
  const IndexedEntry& entry;
  IPositionedSink& sink;
  const std::atomic<bool>* stop;
  std::vector<uint32_t> crcs;   // each piece's, as inflated
  std::atomic<size_t> next{0};  // the next piece a worker takes
  std::atomic<bool> failed{false};

  bool Quit() const { return failed.load() || (stop != nullptr && stop->load()); }
};

// Inflates piece i into the sink with in and out as buffers; false when it fails or the reading
// quits.
bool InflatePiece(Reading& reading, size_t i, ArchiveBytes& bytes, uint8_t* in, uint8_t* out) {
  const PieceIndex& index = reading.entry.index;
  const PieceStart& piece = index.pieces[i];
  const bool last = i + 1 == index.pieces.size();
  const uint64_t length = index.Length(i);
  RawInflater inflater;
  if (!inflater.Ready()) return false;
  z_stream& stream = inflater.Stream();
  EntryCipher cipher(piece.cipher);
  uint64_t where = reading.entry.dataOffset + piece.stored;
  uint64_t storedLeft = index.StoredLength(i);
  uint64_t made = 0;
  uLong crc = crc32(0, nullptr, 0);
  int status = Z_OK;
  int edge = 0;  // data_type after the last call that made progress
  while (status != Z_STREAM_END) {
    if (reading.Quit()) return false;
    if (stream.avail_in == 0 && storedLeft > 0) {
      const size_t n = static_cast<size_t>(std::min<uint64_t>(storedLeft, kBufferSize));
      if (!bytes.Read(where, in, n)) return false;
      cipher.Decrypt(in, n);
      where += n;
      storedLeft -= n;
      stream.next_in = in;
      stream.avail_in = static_cast<uInt>(n);
    }
    // One byte more than the piece should still make, so that a piece making more is caught.
    const size_t room = static_cast<size_t>(std::min<uint64_t>(kBufferSize, length - made + 1));
    stream.next_out = out;
    stream.avail_out = static_cast<uInt>(room);
    status = inflate(&stream, Z_NO_FLUSH);
    if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) return false;
    // Where the piece ended is what the last call that made progress says: one that could make
    // none (Z_BUF_ERROR) has stepped into the next block's header already.
    if (status != Z_BUF_ERROR) edge = stream.data_type;
    const size_t got = room - stream.avail_out;
    if (got > length - made) return false;
    if (got > 0 && !reading.sink.PutAt(piece.offset + made, out, got)) return false;
    crc = crc32_z(crc, out, got);
    made += got;
    // All its bytes read and nothing more comes of them: the piece's flush was reached.
    if (got == 0 && stream.avail_in == 0 && storedLeft == 0) break;
  }
  reading.crcs[i] = static_cast<uint32_t>(crc);
  // A piece before the last ends as its full flush left the stream: between blocks, on a byte's
  // edge, the last block yet to come. Pieces that end so join into the one stream an unzip reads.
  const bool ended = last ? status == Z_STREAM_END : edge == kBetweenBlocks;
  return made == length && stream.avail_in == 0 && storedLeft == 0 && ended && crc == piece.crc;
}

void Work(Reading& reading, ArchiveBytes& bytes) {
  std::unique_ptr<uint8_t[]> in(new (std::nothrow) uint8_t[kBufferSize]);
  std::unique_ptr<uint8_t[]> out(new (std::nothrow) uint8_t[kBufferSize]);
  if (!in || !out) {
    reading.failed.store(true);
    return;
  }
  for (;;) {
    const size_t i = reading.next.fetch_add(1);
    if (i >= reading.entry.index.pieces.size() || reading.Quit()) return;
    if (!InflatePiece(reading, i, bytes, in.get(), out.get())) {
      reading.failed.store(true);
      return;
    }
  }
}

}  // namespace

EntryResult ReadIndexedEntry(const IndexedEntry& entry,
                             const std::vector<std::unique_ptr<ArchiveBytes>>& readers,
                             IPositionedSink& sink, const std::atomic<bool>* stop) {
  const bool readable =
      !readers.empty() && std::all_of(readers.begin(), readers.end(),
                                      [](const auto& reader) { return reader != nullptr; });
  if (!readable) return EntryResult::kFailed;
  Reading reading{entry, sink, stop, std::vector<uint32_t>(entry.index.pieces.size())};
  std::vector<std::thread> threads;
  // The first reader is this thread's: it works too, so a machine that starts no thread still
  // reads the entry.
  for (size_t r = 1; r < readers.size(); ++r) {
    try {
      threads.emplace_back(Work, std::ref(reading), std::ref(*readers[r]));
    } catch (const std::system_error&) {
      break;
    }
  }
  Work(reading, *readers.front());
  for (std::thread& thread : threads) thread.join();
  if (stop != nullptr && stop->load()) return EntryResult::kStopped;
  if (reading.failed.load()) return EntryResult::kFailed;
  uLong crc = crc32(0, nullptr, 0);
  for (size_t i = 0; i < reading.crcs.size(); ++i) {
    crc = crc32_combine(crc, reading.crcs[i], static_cast<z_off_t>(entry.index.Length(i)));
  }
  return crc == entry.crc ? EntryResult::kRead : EntryResult::kFailed;
}
