#pragma once

#include <cstdint>

// The container's byte scrambling: each round chains every byte to its neighbour forwards and
// then backwards, mixing in the key's bytes. Both return false, touching nothing, for a null
// buffer, a zero length or zero rounds.
bool ScrambleBytes(uint8_t* buffer, uint32_t length, uint32_t key, uint32_t rounds);
// The two halves of a scrambling round, for a buffer taken a piece at a time (one too large to
// hold): the forward half runs over the pieces first to last, previous pointing at the byte before
// the piece as this half left it (null for the first piece), atEnd telling the last piece; then
// the backward half runs over them last to first, next pointing at the byte after the piece as
// that half left it (null for the last piece).
void ScrambleForward(uint8_t* piece, uint32_t n, const uint8_t* previous, bool atEnd, uint32_t key);
void ScrambleBackward(uint8_t* piece, uint32_t n, const uint8_t* next, uint32_t key);
// The exact inverse of ScrambleBytes for the same key and rounds.
bool UnscrambleBytes(uint8_t* buffer, uint32_t length, uint32_t key, uint32_t rounds);

// Undoes the scrambling of a part of a buffer in place: window holds length consecutive scrambled
// bytes, the buffer's first among them when atStart and its last when atEnd. While scrambling
// chains every byte to all before and after it, each round of the inverse takes a byte from its
// two neighbours alone: after the rounds, every byte of the window holds its plain value but the
// last `rounds` bytes before an inner edge (an edge that is not the buffer's own), which are
// left undefined. So any part of a buffer unscrambles from itself and `rounds` bytes of context
// on either side.
void UnscrambleWindow(uint8_t* window, uint32_t length, bool atStart, bool atEnd, uint32_t key,
                      uint32_t rounds);
