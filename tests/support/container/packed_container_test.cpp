#include "support/container/packed_container.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "support/container/byte_scrambler.h"
#include "support/container/container_file.h"
#include "support/container/crc16.h"
#include "support/container/packed_view.h"
#include "support/files/file_stream.h"
#include "tests/helpers/temp_folder.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes FromText(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes RandomBytes(size_t n, unsigned seed) {
  std::mt19937 random(seed);
  Bytes bytes(n);
  for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
  return bytes;
}

Bytes Pack(const Bytes& payload) {
  Bytes container(payload.size() + kContainerHeaderSize);
  uint32_t size = PackContainer(container.data(), static_cast<uint32_t>(container.size()),
                                payload.data(), static_cast<uint32_t>(payload.size()));
  container.resize(size);
  return container;
}

TEST(Crc16, MatchesTheTableAndCheckValues) {
  const uint16_t* table = Crc16Table();
  EXPECT_EQ(table[0], 0x0000);
  EXPECT_EQ(table[1], 0x9705);
  EXPECT_EQ(table[2], 0x2E01);
  EXPECT_EQ(table[255], 0x8D05);
  EXPECT_EQ(Crc16Table(), table);  // built once

  Bytes abc = FromText("abc");
  Bytes digits = FromText("123456789");
  EXPECT_EQ(Crc16Update(0, abc.data(), 3, nullptr), 0x60EE);
  EXPECT_EQ(Crc16Update(0, digits.data(), 9, table), 0xC284);
  EXPECT_EQ(Crc16Update(0x1234, abc.data(), 0, nullptr), 0x1234);
  EXPECT_EQ(Crc16Update(0x1234, nullptr, 3, nullptr), 0x1234);
  // Continuing over the rest gives the same result as one pass.
  uint16_t part = Crc16Update(0, digits.data(), 4, nullptr);
  EXPECT_EQ(Crc16Update(part, digits.data() + 4, 5, nullptr), 0xC284);
  // The built-in table takes eight bytes at a time; a table given takes them one by one: the
  // same CRC at every length and split.
  const Bytes noise = RandomBytes(1000, 5);
  for (uint32_t length : {8u, 9u, 15u, 16u, 17u, 1000u}) {
    SCOPED_TRACE(length);
    const uint16_t oneByOne = Crc16Update(0x5A5A, noise.data(), length, table);
    EXPECT_EQ(Crc16Update(0x5A5A, noise.data(), length, nullptr), oneByOne);
    const uint16_t head = Crc16Update(0x5A5A, noise.data(), length / 3, nullptr);
    EXPECT_EQ(Crc16Update(head, noise.data() + length / 3, length - length / 3, nullptr),
              oneByOne);
  }
}

TEST(ByteScrambler, ScramblesKnownBytes) {
  // Worked by hand: k0 = 1, k1 = 2, k2 = 3, k3 = 4, one round.
  uint8_t two[] = {0x01, 0x02};
  ASSERT_TRUE(ScrambleBytes(two, 2, 0x04030201, 1));
  EXPECT_EQ(two[0], 0x01);
  EXPECT_EQ(two[1], 0x01);
  // One byte: each round is the XOR with k2 and k3.
  uint8_t one[] = {0x10};
  ASSERT_TRUE(ScrambleBytes(one, 1, 0x04030201, 3));
  EXPECT_EQ(one[0], 0x10 ^ 0x03 ^ 0x04);
}

TEST(ByteScrambler, UnscrambleRestoresEveryLength) {
  for (size_t length : {1u, 2u, 3u, 64u, 65u, 129u, 65537u}) {
    SCOPED_TRACE(length);
    Bytes original = RandomBytes(length, static_cast<unsigned>(length));
    Bytes bytes = original;
    uint32_t key = 0x9A3C0000u + static_cast<uint32_t>(length);
    ASSERT_TRUE(ScrambleBytes(bytes.data(), static_cast<uint32_t>(length), key, 5));
    EXPECT_NE(bytes, original);
    ASSERT_TRUE(UnscrambleBytes(bytes.data(), static_cast<uint32_t>(length), key, 5));
    EXPECT_EQ(bytes, original);
  }
  uint8_t b = 7;
  EXPECT_FALSE(ScrambleBytes(nullptr, 1, 1, 1));
  EXPECT_FALSE(ScrambleBytes(&b, 0, 1, 1));
  EXPECT_FALSE(UnscrambleBytes(&b, 1, 1, 0));
  EXPECT_EQ(b, 7);
}

TEST(PackedContainer, WritesTheHeaderAndRoundsFromTheLength) {
  Bytes payload = FromText("abcd");
  Bytes container = Pack(payload);
  ASSERT_EQ(container.size(), 14u);
  EXPECT_EQ(Bytes(container.begin(), container.begin() + 8),
            (Bytes{0xFF, 0xFD, 0xFD, 0xFF, 4, 0, 0, 0}));
  uint16_t word = Crc16Update(0, payload.data(), 4, nullptr);
  EXPECT_EQ(container[8], word & 0xFF);
  EXPECT_EQ(container[9], word >> 8);

  // The stored payload is the plain one scrambled with K = L + W * 65536 in (K mod 4) + 3 rounds.
  Bytes expected = payload;
  uint32_t key = 4 + word * 65536u;
  EXPECT_EQ(ContainerRounds(key), 3u);
  ASSERT_TRUE(ScrambleBytes(expected.data(), 4, key, 3));
  EXPECT_EQ(Bytes(container.begin() + 10, container.end()), expected);
  EXPECT_EQ(ContainerRounds(ContainerKey(7, 0xBEEF)), 6u);
}

TEST(PackedContainer, UnpacksWhatWasPacked) {
  for (size_t length : {1u, 2u, 3u, 4u, 7u, 300000u}) {
    SCOPED_TRACE(length);
    Bytes payload = RandomBytes(length, 99);
    Bytes container = Pack(payload);
    Bytes out(container.size());
    uint32_t n = UnpackContainer(out.data(), static_cast<uint32_t>(out.size()), container.data(),
                                 static_cast<uint32_t>(container.size()));
    ASSERT_EQ(n, length);
    out.resize(n);
    EXPECT_EQ(out, payload);
  }
}

// The file is scrambled a piece at a time, each half of a round carrying one byte across the
// pieces' edges: sealed in a file, the bytes are those sealed in memory at every length around a
// piece's, in every number of rounds, with the bytes around them left alone.
TEST(ContainerFile, SealsAndScramblesAsInMemory) {
  constexpr uint32_t kPiece = kContainerFilePiece;
  struct Case {
    uint32_t length;
    uint32_t key;
    uint32_t rounds;
  };
  const Case cases[] = {
      {1, 0x04030201, 3},          {kPiece - 1, 0x9A3C0017, 4}, {kPiece, 0xFFFFFFFF, 5},
      {kPiece + 1, 0x00000000, 6}, {3 * kPiece + 5, 0x5EED1234, 3},
  };
  TempFolder folder;
  constexpr uint32_t kAround = 7;  // bytes before and after the scrambled ones
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    const Bytes payload = RandomBytes(c.length, c.length);

    Bytes around = RandomBytes(c.length + 2 * kAround, c.key);
    std::copy(payload.begin(), payload.end(), around.begin() + kAround);
    Bytes expected = around;
    ASSERT_TRUE(ScrambleBytes(expected.data() + kAround, c.length, c.key, c.rounds));
    const std::u16string scrambledPath = folder.File(u"scrambled");
    WriteBytes(scrambledPath, std::string(around.begin(), around.end()));
    {
      FileStream file = OpenFileStream(scrambledPath.c_str(), "r+b");
      ASSERT_TRUE(ScrambleFileBytes(file.get(), kAround, c.length, c.key, c.rounds));
    }
    const std::string scrambled = ReadBytes(scrambledPath);
    EXPECT_TRUE(scrambled == std::string(expected.begin(), expected.end()));

    Bytes sealed = Pack(payload);
    const std::u16string containerPath = folder.File(u"container");
    WriteBytes(containerPath, std::string(kContainerHeaderSize, '\0') +
                                  std::string(payload.begin(), payload.end()));
    {
      FileStream file = OpenFileStream(containerPath.c_str(), "r+b");
      EXPECT_EQ(SealContainerFile(file.get(), c.length), sealed.size());
    }
    const std::string container = ReadBytes(containerPath);
    EXPECT_TRUE(container == std::string(sealed.begin(), sealed.end()));
  }
  // A file shorter than the payload it is said to hold is refused.
  const std::u16string shortPath = folder.File(u"short");
  WriteBytes(shortPath, std::string(kContainerHeaderSize + 3, 'x'));
  FileStream file = OpenFileStream(shortPath.c_str(), "r+b");
  EXPECT_EQ(SealContainerFile(file.get(), 4), 0u);
  EXPECT_EQ(SealContainerFile(file.get(), 0), 0u);
  EXPECT_FALSE(ScrambleFileBytes(file.get(), 0, kPiece + 1, 1, 1));
}

TEST(PackedContainer, RefusesWhatDoesNotFitOrIsDamaged) {
  Bytes payload = FromText("payload bytes");
  Bytes good = Pack(payload);
  Bytes headerOnly = {0xFF, 0xFD, 0xFD, 0xFF, 0, 0, 0, 0, 0, 0};
  Bytes runsPast = good;
  runsPast[4] = 200;  // claims more payload than follows
  Bytes hugeLength = good;
  hugeLength[4] = hugeLength[5] = hugeLength[6] = hugeLength[7] = 0xFF;
  Bytes truncatedHeader = {0xFF, 0xFD, 0xFD, 0xFF, 4, 0};

  struct Case {
    const char* name;
    const Bytes& source;
    uint32_t capacity;
  };
  const Case cases[] = {
      {"header only", headerOnly, 100},
      {"length past the source", runsPast, 1000},
      {"length near 2^32", hugeLength, 1000},
      {"truncated header", truncatedHeader, 100},
      {"capacity below L + 10", good, static_cast<uint32_t>(good.size() - 1)},
      {"capacity below 10", good, 9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // Exactly sized, so a read past the source shows under AddressSanitizer.
    Bytes source = c.source;
    Bytes out(c.capacity);
    EXPECT_EQ(UnpackContainer(out.data(), c.capacity, source.data(),
                              static_cast<uint32_t>(source.size())),
              0u);
  }
}

// The word guards the whole container: one bit flipped anywhere in it, header or payload, is
// refused, and bytes one bit off the marker are never taken for plain data.
TEST(PackedContainer, RefusesEveryOneBitDamage) {
  std::string text;
  for (int i = 0; text.size() < 1200; ++i) {
    text += "notify=http://127.0.0.1:8080/report" + std::to_string(i) + ";\r\n";
  }
  for (const Bytes& payload : {FromText(text), RandomBytes(700, 5)}) {
    SCOPED_TRACE(payload.size());
    const Bytes good = Pack(payload);
    Bytes out(good.size());
    for (size_t bit = 0; bit < 8 * good.size(); ++bit) {
      Bytes damaged = good;
      damaged[bit / 8] ^= static_cast<uint8_t>(1u << (bit % 8));
      ASSERT_TRUE(HasContainerMarker(damaged.data(), static_cast<uint32_t>(damaged.size())));
      ASSERT_EQ(UnpackContainer(out.data(), static_cast<uint32_t>(out.size()), damaged.data(),
                                static_cast<uint32_t>(damaged.size())),
                0u)
          << "bit " << bit;
    }
  }
  // Two bits off the marker is no container: such bytes are plain data.
  Bytes plain = {0xFF, 0xFE, 0xFD, 0xFF, 'x'};
  EXPECT_FALSE(HasContainerMarker(plain.data(), 5));
}

TEST(PackedContainer, CopiesUnmarkedBytesWhenTheyFit) {
  Bytes plain = FromText("plain text");
  Bytes out(plain.size());
  EXPECT_EQ(UnpackContainer(out.data(), static_cast<uint32_t>(out.size()), plain.data(),
                            static_cast<uint32_t>(plain.size())),
            plain.size());
  EXPECT_EQ(out, plain);
  Bytes small(plain.size() - 1, 0xAA);
  EXPECT_EQ(UnpackContainer(small.data(), static_cast<uint32_t>(small.size()), plain.data(),
                            static_cast<uint32_t>(plain.size())),
            0u);
  EXPECT_EQ(small, Bytes(plain.size() - 1, 0xAA));
  EXPECT_EQ(UnpackContainer(out.data(), 10, nullptr, 5), 0u);
  EXPECT_EQ(UnpackContainer(out.data(), 10, plain.data(), 0), 0u);
}

TEST(PackedContainer, PackRefusesEmptyOrTooSmall) {
  Bytes payload = FromText("abc");
  Bytes out(12);
  EXPECT_EQ(PackContainer(out.data(), 12, payload.data(), 3), 0u);
  EXPECT_EQ(PackContainer(out.data(), 12, payload.data(), 0), 0u);
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
