#pragma once

#include <atomic>
#include <cstdint>

class XData;

// Reading an HTTP reply's body from a source that hands out bytes in pieces: a WinINet request in
// the product, a scripted source in tests.

// Reads up to wanted bytes into into. False when the read failed; *received 0 means the body ended.
using ReadFunction = bool (*)(void* source, uint8_t* into, uint32_t wanted, uint32_t* received);

// Takes n bytes of the body; false when they could not be kept.
using WriteFunction = bool (*)(void* sink, const uint8_t* bytes, uint32_t n);

// Told after each piece of a download: the size of the document's buffer (the announced length
// plus two), the bytes received so far, and the context given with the callback.
using ProgressCallback = void (*)(int32_t expected, uint32_t received, void* context);

// The most a body is read by at a time. Progress is told after every piece, so it is told at
// least this often, and a stop is noticed between pieces; a source hands out only what has
// arrived, so a slow body is never waited on for a whole piece.
constexpr uint32_t kDownloadPieceSize = 16384;

// How a body's transfer ended.
enum class BodyEnd {
  kComplete,     // exactly the length asked for, and nothing after it
  kEndedEarly,   // the source ended before the length
  kTooLong,      // bytes went on past the length: not the body its header describes
  kTooLarge,     // the length is more than the sink may hold: refused before a byte was read
  kReadFailed,   // the connection failed or timed out
  kWriteFailed,  // the sink refused a piece
  kStopped,      // the stop flag was set
  kTooSlow,      // less than kSlowestWindowBytes arrived in a window of kSlowWindowMs
  kOutOfTime,    // the deadline passed
};

// A body must keep arriving: one that brings fewer than kSlowestWindowBytes in kSlowWindowMs
// (about 1 KB a second) is cut off, to be tried again like any other, so that a server trickling
// a byte now and then cannot hold a run for ever. This also bounds a body's whole time by its
// length: at most length / kSlowestWindowBytes + 1 windows.
constexpr uint64_t kSlowWindowMs = 30000;
constexpr uint32_t kSlowestWindowBytes = 32 * 1024;

// Milliseconds on a clock that only goes forward.
uint64_t SteadyMilliseconds();

// Moves a body of a known length from a source to a sink in pieces of at most
// kDownloadPieceSize, looking at the stop flag and the deadline before each and calling onPiece
// (when set) after each with the bytes moved so far, and ending a body that arrives too slowly.
// Every member but stop, onPiece, context and deadline must be set; now is the clock the speed
// and the deadline are measured by.
struct BodyPump {
  ReadFunction read = nullptr;
  void* source = nullptr;
  WriteFunction write = nullptr;
  void* sink = nullptr;
  const std::atomic<bool>* stop = nullptr;
  void (*onPiece)(uint64_t moved, void* context) = nullptr;
  void* context = nullptr;
  uint64_t (*now)() = SteadyMilliseconds;
  uint64_t deadline = UINT64_MAX;  // on now's clock; none by default

  BodyEnd Run(uint64_t length) const;
};

// The largest document Download holds: room for an update list of 100,000 files with names and
// URLs of a few hundred characters (a list of items at their very longest reaches it sooner), far
// less than a client file.
constexpr uint32_t kLargestDocument = 128 * 1024 * 1024;

// Reads a body whose length the reply announced into body, calling progress (when set) after
// each piece, and says how it ended as BodyPump does. body is reused when it already has room for
// the announced length plus two bytes. Only a kComplete body is kept, followed by two zero bytes
// so that a text body is terminated; any other end leaves body empty. A length above
// kLargestDocument, or one there is no memory for, is kTooLarge before anything is read.
BodyEnd ReadAnnouncedBody(XData& body, uint32_t announced, ReadFunction read, void* source,
                          ProgressCallback progress, void* context, const std::atomic<bool>* stop);

// Reads a reply into a caller's buffer of capacity bytes, keeping it zero-terminated after every
// piece: at most capacity - 1 bytes are kept and the rest of a longer reply is left unread. A
// failed read ends the reply with what had arrived. Returns the number of bytes kept.
uint32_t ReadReplyInto(uint8_t* reply, uint32_t capacity, ReadFunction read, void* source);
