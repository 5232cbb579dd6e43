#include "support/packed_view.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "support/packed_container.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes RandomBytes(size_t n, unsigned seed) {
  std::mt19937 random(seed);
  Bytes bytes(n);
  for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
  return bytes;
}

Bytes Pack(const Bytes& payload) {
  Bytes container(payload.size() + kContainerHeaderSize);
  container.resize(PackContainer(container.data(), static_cast<uint32_t>(container.size()),
                                 payload.data(), static_cast<uint32_t>(payload.size())));
  return container;
}

// Any part of the payload reads in place as unpacking the whole would give it: at either end,
// inside, across the view's own chunks, for every number of rounds (the length picks them).
TEST(PackedView, ReadsAnyPartAsUnpackingGivesIt) {
  std::mt19937 random(3);
  for (size_t length : {1u, 2u, 3u, 4u, 5u, 6u, 13u, 14u, 200u, 70001u}) {
    SCOPED_TRACE(length);
    const Bytes payload = RandomBytes(length, static_cast<unsigned>(length));
    const Bytes container = Pack(payload);
    PackedView view;
    ASSERT_TRUE(view.Open(container.data(), static_cast<uint32_t>(container.size())));
    EXPECT_EQ(view.Size(), length);
    EXPECT_TRUE(view.Verify());
    Bytes whole(length);
    ASSERT_TRUE(view.Read(0, whole.data(), length));
    EXPECT_EQ(whole, payload);
    for (int i = 0; i < 200; ++i) {
      const size_t offset = random() % (length + 1);
      const size_t count = random() % (length - offset + 1);
      Bytes part(count + 1, 0xEE);
      ASSERT_TRUE(view.Read(offset, part.data(), count));
      ASSERT_EQ(Bytes(part.begin(), part.end() - 1),
                Bytes(payload.begin() + offset, payload.begin() + offset + count))
          << offset << " + " << count;
      ASSERT_EQ(part.back(), 0xEE);  // nothing written past count
    }
    Bytes past(2, 0xEE);
    EXPECT_FALSE(view.Read(length, past.data(), 1));
    EXPECT_FALSE(view.Read(length - 1, past.data(), 2));
    EXPECT_FALSE(view.Read(length + 1, past.data(), 0));
    EXPECT_EQ(past, Bytes(2, 0xEE));
  }
}

// What opens is a whole container header with its payload inside the bytes; Verify then finds
// any damage of the payload, one flipped bit anywhere, as unpacking does.
TEST(PackedView, OpensOnlyContainersAndVerifiesTheirWord) {
  const Bytes payload = RandomBytes(3000, 9);
  const Bytes good = Pack(payload);
  Bytes oneBitOffMarker = good;
  oneBitOffMarker[1] ^= 0x10;
  Bytes runsPast = good;
  runsPast[5] += 1;
  Bytes empty = {0xFF, 0xFD, 0xFD, 0xFF, 0, 0, 0, 0, 0, 0};
  const Bytes plain = {'P', 'K', 3, 4, 0, 0, 0, 0, 0, 0, 0, 0};
  struct Case {
    const char* name;
    Bytes bytes;
    uint32_t size;
  };
  const Case refused[] = {
      {"marker one bit off", oneBitOffMarker, static_cast<uint32_t>(good.size())},
      {"length past the bytes", runsPast, static_cast<uint32_t>(good.size())},
      {"payload cut short", good, static_cast<uint32_t>(good.size() - 1)},
      {"no payload", empty, 10},
      {"header cut short", good, 9},
      {"plain bytes", plain, static_cast<uint32_t>(plain.size())},
  };
  for (const Case& c : refused) {
    SCOPED_TRACE(c.name);
    PackedView view;
    EXPECT_FALSE(view.Open(c.bytes.data(), c.size));
    EXPECT_EQ(view.Size(), 0u);
    EXPECT_FALSE(view.Verify());
  }
  PackedView view;
  EXPECT_FALSE(view.Open(nullptr, 100));

  for (size_t bit = 8 * 4; bit < 8 * good.size(); bit += 7) {
    Bytes damaged = good;
    damaged[bit / 8] ^= static_cast<uint8_t>(1u << (bit % 8));
    if (!view.Open(damaged.data(), static_cast<uint32_t>(damaged.size()))) continue;
    ASSERT_FALSE(view.Verify()) << "bit " << bit;
  }
}

}  // namespace
