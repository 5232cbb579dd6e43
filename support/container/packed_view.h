#pragma once

#include <cstddef>
#include <cstdint>

// A packed container read in place: its payload's bytes are unscrambled as they are asked for,
// from the container's own bytes (a loaded resource, say), which stay the caller's, unchanged,
// and must outlive the view. No copy of the payload is made: reading any part of it costs that
// part and a few bytes of context (see UnscrambleWindow). Any thread may read at once.
class PackedView {
 public:
  // False (and the view empty) unless bytes begin with the container's marker, unharmed, and a
  // payload that is not empty and lies within them. Plain bytes are no container: read them as
  // they are.
  bool Open(const uint8_t* bytes, uint32_t size);
  // True when the payload matches the container's word: one pass over it in fixed memory, the
  // check that catches damage anywhere in a container. False when the view is empty.
  bool Verify() const;

  uint32_t Size() const { return length_; }
  // Copies count payload bytes from offset into destination; false, copying nothing, when they
  // are not all within the payload.
  bool Read(uint64_t offset, uint8_t* destination, size_t count) const;

 private:
  const uint8_t* scrambled_ = nullptr;  // the payload as stored
  uint32_t length_ = 0;
  uint16_t word_ = 0;
  uint32_t key_ = 0;
  uint32_t rounds_ = 0;
};
