#include "support/container/packed_view.h"

#include <algorithm>
#include <cstring>

#include "support/container/byte_scrambler.h"
#include "support/container/crc16.h"
#include "support/container/packed_container.h"

namespace {

// Ranges are unscrambled this many bytes at a time, on the stack.
constexpr size_t kChunk = 16 << 10;
// Rounds are (key mod 4) + 3: at most 6 bytes of context on either side.
constexpr uint32_t kMostRounds = 6;

}  // namespace

bool PackedView::Open(const uint8_t* bytes, uint32_t size) {
  *this = PackedView();
  uint32_t length = 0;
  uint16_t word = 0;
  if (!ReadContainerHeader(bytes, size, &length, &word)) return false;
  scrambled_ = bytes + kContainerHeaderSize;
  length_ = length;
  word_ = word;
  key_ = ContainerKey(length_, word_);
  rounds_ = ContainerRounds(key_);
  return true;
}

bool PackedView::Verify() const {
  if (scrambled_ == nullptr) return false;
  uint8_t chunk[kChunk];
  uint16_t crc = 0;
  for (uint32_t done = 0; done < length_;) {
    const uint32_t n = std::min<uint32_t>(kChunk, length_ - done);
    Read(done, chunk, n);
    crc = Crc16Update(crc, chunk, n, nullptr);
    done += n;
  }
  return crc == word_;
}

bool PackedView::Read(uint64_t offset, uint8_t* destination, size_t count) const {
  if (offset > length_ || count > length_ - offset || (count > 0 && destination == nullptr)) {
    return false;
  }
  uint8_t window[kChunk + 2 * kMostRounds];
  while (count > 0) {
    const size_t n = std::min(count, kChunk);
    // The part and the context its edges need, as far as the payload reaches.
    const uint64_t from = offset >= rounds_ ? offset - rounds_ : 0;
    const uint64_t to = std::min<uint64_t>(length_, offset + n + rounds_);
    const auto size = static_cast<uint32_t>(to - from);
    std::memcpy(window, scrambled_ + from, size);
    UnscrambleWindow(window, size, from == 0, to == length_, key_, rounds_);
    std::memcpy(destination, window + (offset - from), n);
    destination += n;
    offset += n;
    count -= n;
  }
  return true;
}
