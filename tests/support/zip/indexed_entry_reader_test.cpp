#include "support/zip/indexed_entry_reader.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "support/zip/piece_index.h"
#include "support/zip/xzip.h"
#include "tests/helpers/collecting_sink.h"
#include "tests/helpers/temp_folder.h"
#include "tools/setupkit/archive_writer.h"

namespace {

namespace fs = std::filesystem;

constexpr size_t kPiece = 64 << 10;

// Text deflate shrinks, of a few pieces and a part: the pieces' deflated lengths all differ.
std::string PiecedText() {
  std::string text;
  for (int line = 0; text.size() < 5 * kPiece + 1234; ++line) {
    text += "line " + std::to_string(line) + " of " + std::to_string(line * 7919 % 1000) + "\n";
  }
  return text;
}

// The entry's bytes as the workers put them, at their places; refuses bytes outside the entry.
class PlacedBytes : public IPositionedSink {
 public:
  explicit PlacedBytes(size_t size) : bytes_(size, '\0') {}
  bool PutAt(uint64_t offset, const uint8_t* bytes, size_t count) override {
    std::lock_guard<std::mutex> hold(lock_);
    if (offset > bytes_.size() || count > bytes_.size() - offset) return false;
    bytes_.replace(static_cast<size_t>(offset), count, reinterpret_cast<const char*>(bytes), count);
    return true;
  }
  const std::string& Bytes() const { return bytes_; }

 private:
  std::mutex lock_;
  std::string bytes_;
};

// An archive setupkit made of one file in pieces, opened, with the file's index.
class PiecedArchive {
 public:
  PiecedArchive() {
    fs::create_directories(folder_.Path() / "in");
    WriteBytes(folder_.Path() / "in" / "big.txt", text_);
    std::vector<ArchiveEntry> entries;
    std::string problem;
    EXPECT_TRUE(ListFolderEntries((folder_.Path() / "in").u16string(), entries, problem));
    const std::u16string out = folder_.File(u"out.zip");
    EXPECT_TRUE(BuildArchive(entries, "test", out, problem, {kPiece, 2, {}})) << problem;
    EXPECT_TRUE(zip_.OpenFile(out.c_str(), XZip::GetArchivePassword()));
  }
  const std::string& Text() const { return text_; }
  XZip& Zip() { return zip_; }
  std::vector<std::unique_ptr<ArchiveBytes>> Readers(int count) {
    std::vector<std::unique_ptr<ArchiveBytes>> readers;
    for (int i = 0; i < count; ++i) readers.push_back(zip_.OpenBytes());
    return readers;
  }

 private:
  TempFolder folder_;
  const std::string text_ = PiecedText();
  XZip zip_;
};

// An entry in pieces reads the same through its index, on one worker or several, as in one
// stream; an index whose pieces do not hold what it says of them (a CRC, a cipher state, a place
// in either the deflated data or the bytes, a length) fails the entry, as a wrong CRC does.
TEST(IndexedEntryReader, ReadsThePiecesAtOnceAndFailsAPieceThatIsNotWhatItsIndexSays) {
  PiecedArchive archive;
  IndexedEntry intact;
  ASSERT_TRUE(archive.Zip().FindPieces(0, &intact));
  ASSERT_EQ(intact.index.pieces.size(), 6u);
  CollectingSink stream(XZip::kPieceSize);
  ASSERT_TRUE(archive.Zip().ReadItemTo(0, stream));
  ASSERT_TRUE(stream.Content() == archive.Text());

  struct Case {
    const char* name;
    int workers;
    std::function<void(IndexedEntry&)> change;
    EntryResult expected;
  };
  const Case cases[] = {
      {"as written, one worker", 1, [](IndexedEntry&) {}, EntryResult::kRead},
      {"as written, four workers", 4, [](IndexedEntry&) {}, EntryResult::kRead},
      {"a piece's CRC", 3, [](IndexedEntry& e) { e.index.pieces[2].crc ^= 1; },
       EntryResult::kFailed},
      {"a piece's cipher state", 3, [](IndexedEntry& e) { e.index.pieces[3].cipher.keys[1] ^= 1; },
       EntryResult::kFailed},
      {"a piece's start in the deflated data", 3,
       [](IndexedEntry& e) { e.index.pieces[1].stored += 1; }, EntryResult::kFailed},
      {"a piece's start in the bytes", 3, [](IndexedEntry& e) { e.index.pieces[4].offset -= 1; },
       EntryResult::kFailed},
      {"the last piece's length", 3, [](IndexedEntry& e) { e.index.size -= 1; },
       EntryResult::kFailed},
      {"the deflated data's length", 3, [](IndexedEntry& e) { e.index.storedSize += 1; },
       EntryResult::kFailed},
      {"the entry's CRC", 3, [](IndexedEntry& e) { e.crc ^= 1; }, EntryResult::kFailed},
      {"where the data starts", 3, [](IndexedEntry& e) { e.dataOffset -= 1; },
       EntryResult::kFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    IndexedEntry entry = intact;
    c.change(entry);
    PlacedBytes placed(archive.Text().size());
    EXPECT_EQ(ReadIndexedEntry(entry, archive.Readers(c.workers), placed, nullptr), c.expected);
    if (c.expected == EntryResult::kRead) {
      EXPECT_TRUE(placed.Bytes() == archive.Text());
    }
  }

  std::atomic<bool> stop{true};
  PlacedBytes placed(archive.Text().size());
  EXPECT_EQ(ReadIndexedEntry(intact, archive.Readers(2), placed, &stop), EntryResult::kStopped);
}

// An index is hostile input: one that does not cover its entry once, piece after piece, within
// its bounds, or that is not whole, is refused, whatever its CRC says.
TEST(PieceIndex, RefusesAnIndexThatDoesNotCoverItsEntryOnce) {
  constexpr uint64_t kStored = 1000;
  constexpr uint64_t kSize = 5000;
  const std::vector<PieceStart> sound = {{0, 0, {}, 1}, {400, 2000, {}, 2}, {700, 4000, {}, 3}};
  using Pieces = std::vector<PieceStart>;
  struct Case {
    const char* name;
    std::function<void(Pieces&)> changePieces;
    std::function<void(std::string&)> changeBytes;
    bool accepted;
  };
  const auto same = [](Pieces&) {};
  const auto asEncoded = [](std::string&) {};
  const Case cases[] = {
      {"sound", same, asEncoded, true},
      {"one piece", [](Pieces& p) { p.resize(1); }, asEncoded, false},
      {"not starting at 0 in the data", [](Pieces& p) { p[0].stored = 1; }, asEncoded, false},
      {"not starting at 0 in the bytes", [](Pieces& p) { p[0].offset = 1; }, asEncoded, false},
      {"overlapping in the data", [](Pieces& p) { p[2].stored = 400; }, asEncoded, false},
      {"overlapping in the bytes", [](Pieces& p) { p[2].offset = 1999; }, asEncoded, false},
      {"past the data", [](Pieces& p) { p[2].stored = kStored; }, asEncoded, false},
      {"past the bytes", [](Pieces& p) { p[2].offset = kSize; }, asEncoded, false},
      {"far past both", [](Pieces& p) { p[2].stored = p[2].offset = ~0ull; }, asEncoded, false},
      {"too many pieces", [](Pieces& p) { p.resize(kMostIndexedPieces + 1, p[2]); }, asEncoded,
       false},
      {"cut short", same, [](std::string& e) { e.pop_back(); }, false},
      {"longer", same, [](std::string& e) { e += '\0'; }, false},
      {"counting more pieces than it holds", same, [](std::string& e) { e[1] = 4; }, false},
      {"of another format", same, [](std::string& e) { e[0] = 2; }, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Pieces pieces = sound;
    c.changePieces(pieces);
    std::string encoded = EncodePieceIndex(pieces);
    c.changeBytes(encoded);
    PieceIndex index;
    EXPECT_EQ(DecodePieceIndex(reinterpret_cast<const uint8_t*>(encoded.data()), encoded.size(),
                               kStored, kSize, index),
              c.accepted);
    EXPECT_EQ(index.pieces.size(), c.accepted ? 3u : 0u);
  }
}

// The index goes into an extra field enciphered with the archive's password: read back with it,
// and refused with another password, damaged, or cut short.
TEST(PieceIndex, TheFieldReadsBackOnlyWholeWithThePassword) {
  const std::vector<PieceStart> pieces = {{0, 0, {{1, 2, 3}}, 7}, {10, 100, {{4, 5, 6}}, 8}};
  const std::string field = PieceIndexField(pieces, "big.bin", XZip::GetArchivePassword());
  // Beside another field, as the zip64 one stands before it.
  const std::string extra = std::string("\x01\x00\x08\x00", 4) + std::string(8, '\x05') + field;
  ASSERT_EQ(field.find(std::string("\x04\x00\x00\x00\x05\x00\x00\x00", 8)), std::string::npos)
      << "the cipher state stands in the clear";
  struct Case {
    const char* name;
    std::string extra;
    const char* password;
    bool found;
  };
  std::string damaged = extra;
  damaged[extra.size() - 9] ^= 1;
  const Case cases[] = {
      {"whole", extra, XZip::GetArchivePassword(), true},
      {"another password", extra, "another", false},
      {"damaged", damaged, XZip::GetArchivePassword(), false},
      {"cut short", extra.substr(0, extra.size() - 1), XZip::GetArchivePassword(), false},
      {"without it", extra.substr(0, 12), XZip::GetArchivePassword(), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    PieceIndex index;
    EXPECT_EQ(FindPieceIndex(reinterpret_cast<const uint8_t*>(c.extra.data()), c.extra.size(),
                             c.password, 50, 200, index),
              c.found);
    if (!c.found) continue;
    ASSERT_EQ(index.pieces.size(), 2u);
    EXPECT_EQ(index.pieces[1].stored, 10u);
    EXPECT_EQ(index.pieces[1].offset, 100u);
    EXPECT_EQ(index.pieces[1].cipher.keys[2], 6u);
    EXPECT_EQ(index.pieces[1].crc, 8u);
    EXPECT_EQ(index.Length(1), 100u);
    EXPECT_EQ(index.StoredLength(1), 40u);
  }
}

}  // namespace
