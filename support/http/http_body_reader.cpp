#include "support/http/http_body_reader.h"

#include <chrono>
#include <cstring>

#include "support/files/xdata.h"

namespace {

bool Stopped(const std::atomic<bool>* stop) { return stop != nullptr && stop->load(); }

// The document's buffer holds the announced bytes and two zero bytes; its size is also what the
// progress callback reports.
constexpr uint32_t kTerminatorBytes = 2;

// Where a document's pieces go: straight after what it holds already.
struct DocumentSink {
  XData* body;
  uint32_t length;
};

bool AppendToDocument(void* sink, const uint8_t* bytes, uint32_t n) {
  auto* document = static_cast<DocumentSink*>(sink);
  std::memcpy(document->body->Data() + document->length, bytes, n);
  document->length += n;
  return true;
}

struct DocumentProgress {
  ProgressCallback progress;
  void* context;
  int32_t expected;
};

void TellDocumentProgress(uint64_t moved, void* context) {
  auto* told = static_cast<DocumentProgress*>(context);
  // A document is never longer than kLargestDocument.
  told->progress(told->expected, static_cast<uint32_t>(moved), told->context);
}

}  // namespace

uint64_t SteadyMilliseconds() {
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
}

BodyEnd BodyPump::Run(uint64_t length) const {
  uint8_t piece[kDownloadPieceSize];
  uint64_t moved = 0;
  uint64_t windowStart = now();
  uint64_t movedAtWindowStart = 0;
  while (moved < length) {
    if (Stopped(stop)) return BodyEnd::kStopped;
    const uint64_t at = now();
    if (at >= deadline) return BodyEnd::kOutOfTime;
    if (at - windowStart >= kSlowWindowMs) {
      if (moved - movedAtWindowStart < kSlowestWindowBytes) return BodyEnd::kTooSlow;
      windowStart = at;
      movedAtWindowStart = moved;
    }
    const uint32_t wanted =
        length - moved < kDownloadPieceSize ? static_cast<uint32_t>(length - moved) : kDownloadPieceSize;
    uint32_t received = 0;
    if (!read(source, piece, wanted, &received) || received > wanted) return BodyEnd::kReadFailed;
    if (received == 0) return BodyEnd::kEndedEarly;
    if (!write(sink, piece, received)) return BodyEnd::kWriteFailed;
    moved += received;
    if (onPiece != nullptr) onPiece(moved, context);
  }
  // The body must end here: bytes past its length mean the reply is not the document its header
  // describes.
  uint32_t received = 0;
  if (!read(source, piece, 1, &received)) return BodyEnd::kReadFailed;
  return received == 0 ? BodyEnd::kComplete : BodyEnd::kTooLong;
}

BodyEnd ReadAnnouncedBody(XData& body, uint32_t announced, ReadFunction read, void* source,
                          ProgressCallback progress, void* context, const std::atomic<bool>* stop) {
  body.SetLength(0);
  if (read == nullptr) return BodyEnd::kReadFailed;
  if (announced > kLargestDocument || !body.EnsureCapacity(announced + kTerminatorBytes, true)) {
    return BodyEnd::kTooLarge;
  }
  DocumentSink sink{&body, 0};
  DocumentProgress told{progress, context, static_cast<int32_t>(announced + kTerminatorBytes)};
  BodyPump pump;
  pump.read = read;
  pump.source = source;
  pump.write = AppendToDocument;
  pump.sink = &sink;
  pump.stop = stop;
  if (progress != nullptr) {
    pump.onPiece = TellDocumentProgress;
    pump.context = &told;
  }
  const BodyEnd end = pump.Run(announced);
  if (end != BodyEnd::kComplete) return end;
  body.Data()[announced] = 0;
  body.Data()[announced + 1] = 0;
  body.SetLength(announced);
  return end;
}

uint32_t ReadReplyInto(uint8_t* reply, uint32_t capacity, ReadFunction read, void* source) {
  if (reply == nullptr || capacity == 0 || read == nullptr) return 0;
  uint32_t length = 0;
  reply[0] = 0;
  while (length < capacity - 1) {
    uint32_t wanted = capacity - 1 - length;
    uint32_t received = 0;
    if (!read(source, reply + length, wanted, &received) || received == 0 || received > wanted) {
      break;
    }
    length += received;
    reply[length] = 0;
  }
  return length;
}
