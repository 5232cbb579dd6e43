#pragma once

#include <cstdint>

// Byte-order marks, numbered as the stored forms number them.
enum BomType : int {
  kBomNone = 0,
  kBomUtf8 = 1,
  kBomUtf16Le = 2,
  kBomUtf16Be = 3,
  kBomUtf32Le = 4,
  kBomUtf32Be = 5,
};

// The mark at the start of n bytes, looking at none beyond them. UTF-32LE is tested before
// UTF-16LE because it begins with the same two bytes.
int DetectBom(const uint8_t* bytes, uint32_t n);
// The mark's size in bytes; 0 for none or an unknown type.
int BomLength(int type);
// Writes the mark's bytes and returns their count; 0 for an unknown type or null out.
int WriteBom(int type, uint8_t* out);
