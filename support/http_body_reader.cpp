#include "support/http_body_reader.h"

#include <cstdint>

#include "support/xdata.h"

namespace {

// The document's buffer holds the announced bytes and two zero bytes; its size is also what the
// progress callback reports, as a signed 32-bit number.
constexpr uint32_t kTerminatorBytes = 2;
constexpr uint32_t kLargestAnnounced = INT32_MAX - kTerminatorBytes;

bool ReadBodyPieces(XData& body, uint32_t announced, ReadFunction read, void* source,
                    ProgressCallback progress, void* context, uint32_t* length) {
  uint8_t* storage = body.Data();
  int32_t expected = static_cast<int32_t>(announced + kTerminatorBytes);
  *length = 0;
  while (*length < announced) {
    uint32_t wanted = announced - *length;
    if (wanted > kDownloadChunkSize) wanted = kDownloadChunkSize;
    uint32_t received = 0;
    if (!read(source, storage + *length, wanted, &received) || received > wanted) return false;
    if (received == 0) return false;  // ended before its announced length
    *length += received;
    if (progress != nullptr) progress(expected, *length, context);
  }
  // The body must end here: bytes past the announced length mean the reply is not the document
  // its header describes.
  uint8_t probe = 0;
  uint32_t received = 0;
  return read(source, &probe, 1, &received) && received == 0;
}

}  // namespace

bool ReadAnnouncedBody(XData& body, uint32_t announced, ReadFunction read, void* source,
                       ProgressCallback progress, void* context) {
  body.SetLength(0);
  if (read == nullptr || announced > kLargestAnnounced) return false;
  if (!body.EnsureCapacity(announced + kTerminatorBytes, true)) return false;
  uint32_t length = 0;
  if (!ReadBodyPieces(body, announced, read, source, progress, context, &length)) {
    body.SetLength(0);
    return false;
  }
  body.Data()[length] = 0;
  body.Data()[length + 1] = 0;
  body.SetLength(length);
  return true;
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
