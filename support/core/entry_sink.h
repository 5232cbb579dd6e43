#pragma once

#include <cstddef>
#include <cstdint>

// Takes an entry's content piece by piece, in order, as it is read: a file being written, a
// queue to another thread. Whether the content was whole and right is known only after the last
// piece, so a sink keeps what it took aside until its reader says.
class IEntrySink {
 public:
  virtual ~IEntrySink() = default;
  // False asks the reader to stop: the entry then fails.
  virtual bool Put(const uint8_t* bytes, size_t count) = 0;
};

// Takes an entry's content in pieces at their places in it, in any order, from several threads
// at once: a file written by workers that each make a part of it. As with IEntrySink, the
// content is known whole and right only once its reader says.
class IPositionedSink {
 public:
  virtual ~IPositionedSink() = default;
  // Puts count bytes at offset; false asks the readers to stop: the entry then fails.
  virtual bool PutAt(uint64_t offset, const uint8_t* bytes, size_t count) = 0;
};
