#include "support/text/byte_order_mark.h"

namespace {

struct Mark {
  int type;
  uint8_t bytes[4];
  int length;
};

// In the order they are tested.
constexpr Mark kMarks[] = {
    {kBomUtf8, {0xEF, 0xBB, 0xBF, 0}, 3},     {kBomUtf32Le, {0xFF, 0xFE, 0x00, 0x00}, 4},
    {kBomUtf32Be, {0x00, 0x00, 0xFE, 0xFF}, 4}, {kBomUtf16Le, {0xFF, 0xFE, 0, 0}, 2},
    {kBomUtf16Be, {0xFE, 0xFF, 0, 0}, 2},
};

bool StartsWith(const uint8_t* bytes, uint32_t n, const Mark& mark) {
  if (n < static_cast<uint32_t>(mark.length)) return false;
  for (int i = 0; i < mark.length; ++i) {
    if (bytes[i] != mark.bytes[i]) return false;
  }
  return true;
}

}  // namespace

int DetectBom(const uint8_t* bytes, uint32_t n) {
  if (bytes == nullptr) return kBomNone;
  for (const Mark& mark : kMarks) {
    if (StartsWith(bytes, n, mark)) return mark.type;
  }
  return kBomNone;
}

int BomLength(int type) {
  for (const Mark& mark : kMarks) {
    if (mark.type == type) return mark.length;
  }
  return 0;
}

int WriteBom(int type, uint8_t* out) {
  if (out == nullptr) return 0;
  for (const Mark& mark : kMarks) {
    if (mark.type != type) continue;
    for (int i = 0; i < mark.length; ++i) out[i] = mark.bytes[i];
    return mark.length;
  }
  return 0;
}
