#include "support/container/byte_scrambler.h"

#include <cstring>

namespace {

struct KeyBytes {
  explicit KeyBytes(uint32_t key)
      : k0(static_cast<uint8_t>(key)),
        k1(static_cast<uint8_t>(key >> 8)),
        k2(static_cast<uint8_t>(key >> 16)),
        k3(static_cast<uint8_t>(key >> 24)) {}
  uint8_t k0, k1, k2, k3;
};

// Each pass of the unscrambling is done a block at a time: the block's neighbours are copied
// before it changes, so the work is a plain loop over two arrays, which the compiler makes
// vector code of. The check of every payload at start-up is mostly these passes.
constexpr uint32_t kBlock = 64;

// block[i] = (block[i] ^ key) - neighbours[i], with the neighbours as they were before.
void TakeAwayNeighbours(uint8_t* block, const uint8_t* neighbours, uint8_t key) {
  uint8_t before[kBlock];
  std::memcpy(before, neighbours, kBlock);
  for (uint32_t i = 0; i < kBlock; ++i) {
    block[i] = static_cast<uint8_t>((block[i] ^ key) - before[i]);
  }
}

}  // namespace

bool ScrambleBytes(uint8_t* buffer, uint32_t length, uint32_t key, uint32_t rounds) {
  if (buffer == nullptr || length == 0 || rounds == 0) return false;
  for (uint32_t round = 0; round < rounds; ++round) {
    ScrambleForward(buffer, length, nullptr, true, key);
    ScrambleBackward(buffer, length, nullptr, key);
  }
  return true;
}

void ScrambleForward(uint8_t* piece, uint32_t n, const uint8_t* previous, bool atEnd,
                     uint32_t key) {
  if (piece == nullptr || n == 0) return;
  const KeyBytes k(key);
  if (previous == nullptr) {
    piece[0] ^= k.k2;
  } else {
    piece[0] = static_cast<uint8_t>((*previous + piece[0]) ^ k.k0);
  }
  for (uint32_t i = 1; i < n; ++i) {
    piece[i] = static_cast<uint8_t>((piece[i - 1] + piece[i]) ^ k.k0);
  }
  if (atEnd) piece[n - 1] ^= k.k3;
}

void ScrambleBackward(uint8_t* piece, uint32_t n, const uint8_t* next, uint32_t key) {
  if (piece == nullptr || n == 0) return;
  const KeyBytes k(key);
  // The buffer's last byte has no byte after it to chain to.
  if (next != nullptr) piece[n - 1] = static_cast<uint8_t>((*next + piece[n - 1]) ^ k.k1);
  for (uint32_t i = n - 1; i-- > 0;) {
    piece[i] = static_cast<uint8_t>((piece[i + 1] + piece[i]) ^ k.k1);
  }
}

bool UnscrambleBytes(uint8_t* buffer, uint32_t length, uint32_t key, uint32_t rounds) {
  if (buffer == nullptr || length == 0 || rounds == 0) return false;
  UnscrambleWindow(buffer, length, true, true, key, rounds);
  return true;
}

void UnscrambleWindow(uint8_t* window, uint32_t length, bool atStart, bool atEnd, uint32_t key,
                      uint32_t rounds) {
  if (window == nullptr || length == 0) return;
  const KeyBytes k(key);
  for (uint32_t round = 0; round < rounds; ++round) {
    // Left to right, each byte takes away its right neighbour as it was before the pass.
    uint32_t from = 0;
    for (; from + kBlock < length; from += kBlock) {
      TakeAwayNeighbours(window + from, window + from + 1, k.k1);
    }
    for (uint32_t i = from; i + 1 < length; ++i) {
      window[i] = static_cast<uint8_t>((window[i] ^ k.k1) - window[i + 1]);
    }
    if (atEnd) window[length - 1] ^= k.k3;
    // Right to left, each byte takes away its left neighbour as it was before the pass.
    uint32_t end = length;
    for (; end > kBlock; end -= kBlock) {
      TakeAwayNeighbours(window + end - kBlock, window + end - kBlock - 1, k.k0);
    }
    for (uint32_t i = end; i-- > 1;) {
      window[i] = static_cast<uint8_t>((window[i] ^ k.k0) - window[i - 1]);
    }
    if (atStart) window[0] ^= k.k2;
  }
}
