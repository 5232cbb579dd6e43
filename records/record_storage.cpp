#include "records/record_storage.h"

#include <cstring>

#include "support/container/packed_container.h"
#include "support/files/xdata.h"
#include "support/text/byte_order_mark.h"

namespace {

constexpr uint32_t kPlainHeaderSize = 2;

}  // namespace

CRecordStorage::CRecordStorage(uint32_t saveBufferSize) : saveBufferSize_(saveBufferSize) {}

CRecordStorage::~CRecordStorage() = default;

bool CRecordStorage::LoadFromFile(const char16_t* path) {
  XData file;
  return file.ReadFile(path, 0) && ParseBytes(file.Data(), file.Length());
}

uint32_t CRecordStorage::SaveToFile(const char16_t* path, bool packed) {
  if (path == nullptr) return 0;
  XData buffer;
  if (!SerializeToBuffer(buffer, packed) || !buffer.WriteFile(path, 0)) return 0;
  return buffer.Length();
}

bool CRecordStorage::ParseBytes(const uint8_t* bytes, uint32_t length) {
  if (bytes == nullptr) return false;
  // Every form is copied into a buffer of whole UTF-16 units followed by a zero unit, so the
  // parser never reads past what was given, whatever the bytes claim.
  XData text;
  if (HasContainerMarker(bytes, length)) {
    if (!text.Reserve(length, true)) return false;
    uint32_t unpacked = UnpackContainer(text.Data(), text.Capacity(), bytes, length);
    if (unpacked == 0) return false;
    text.SetLength(unpacked);
  } else {
    uint32_t skip = DetectBom(bytes, length) == kBomUtf16Le ? kPlainHeaderSize : 0;
    uint32_t copied = length - skip;
    if (!text.Reserve(copied == 0 ? 1 : copied, true)) return false;
    std::memcpy(text.Data(), bytes + skip, copied);
    text.SetLength(copied);
  }
  // An odd trailing byte is half a unit: drop it so the zero tail starts on a unit.
  uint32_t whole = text.Length() & ~1u;
  text.Data()[whole] = 0;
  text.Data()[whole + 1] = 0;
  return ParseText(reinterpret_cast<const char16_t*>(text.Data()));
}

uint32_t CRecordStorage::Serialize(uint8_t* output, uint32_t capacity, bool packed) {
  if (output == nullptr) return 0;
  uint32_t header = packed ? kContainerHeaderSize : kPlainHeaderSize;
  if (capacity < header) return 0;
  uint32_t units = (capacity - header) / 2;
  if (units > 0x7FFFFFFF) units = 0x7FFFFFFF;
  // WriteText wants aligned units; the header sizes keep them aligned when output is.
  auto* text = reinterpret_cast<char16_t*>(output + header);
  if (!packed) {
    WriteBom(kBomUtf16Le, output);
    int written = WriteText(text, static_cast<int>(units));
    return written > 0 ? 2 * static_cast<uint32_t>(written) : 0;
  }
  // A writer that found no room has produced no record: a bare header would only be a file
  // that never loads, so that is a failure too.
  int written = WriteText(text, static_cast<int>(units));
  if (written <= 0) return 0;
  return SealContainer(output, 2 * static_cast<uint32_t>(written));
}

bool CRecordStorage::SerializeToBuffer(XData& buffer, bool packed) {
  if (!buffer.Reserve(SaveBufferSize(), true)) return false;
  buffer.SetLength(Serialize(buffer.Data(), buffer.Capacity(), packed));
  return buffer.Length() != 0;
}
