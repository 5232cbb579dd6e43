#pragma once

#include <cstdint>

class XData;

// Reading an HTTP reply's body from a source that hands out bytes in pieces: a WinINet request in
// the product, a scripted source in tests.

// Reads up to wanted bytes into into. False when the read failed; *received 0 means the body ended.
using ReadFunction = bool (*)(void* source, uint8_t* into, uint32_t wanted, uint32_t* received);

// Told after each piece of a download: the size of the document's buffer (the announced length
// plus two), the bytes received so far, and the context given with the callback.
using ProgressCallback = void (*)(int32_t expected, uint32_t received, void* context);

// Reads of 256 KB: each read has a fixed cost (under Wine a round trip to its server), which made
// 16 KB reads several times slower over loopback; progress is still told often enough.
constexpr uint32_t kDownloadChunkSize = 262144;

// Reads a body whose length the reply announced into body, straight into its storage in pieces of
// kDownloadChunkSize, calling progress (when set) after each. body is reused when it already has
// room for the announced length plus two bytes. True only when exactly the announced bytes
// arrived: a body that ends early, or that goes on past its announced end, or a failed read,
// leaves body empty. On success the body is followed by two zero bytes, so a text body is
// terminated.
bool ReadAnnouncedBody(XData& body, uint32_t announced, ReadFunction read, void* source,
                       ProgressCallback progress, void* context);

// Reads a reply into a caller's buffer of capacity bytes, keeping it zero-terminated after every
// piece: at most capacity - 1 bytes are kept and the rest of a longer reply is left unread. A
// failed read ends the reply with what had arrived. Returns the number of bytes kept.
uint32_t ReadReplyInto(uint8_t* reply, uint32_t capacity, ReadFunction read, void* source);
