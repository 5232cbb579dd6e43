#include "support/http/http_body_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>
#include <vector>

#include "support/files/xdata.h"
#include "tests/helpers/byte_pattern.h"

namespace {

constexpr size_t kAsAsked = std::string::npos;
// A body nearly three pieces long.
constexpr uint32_t kLongBody = 2 * kDownloadPieceSize + 1000;

// The clock of the scripted bodies: each read takes its body's msPerRead on it.
uint64_t scriptedClock = 0;
uint64_t ScriptedClock() { return scriptedClock; }

// A body that arrives in pieces of at most pieceSize bytes (kAsAsked: as many as a read asks
// for), optionally failing once failAt bytes have been handed out.
struct ScriptedBody {
  std::string bytes;
  size_t pieceSize = kAsAsked;
  size_t failAt = std::string::npos;
  uint64_t msPerRead = 0;
  size_t offset = 0;
  uint32_t largestWanted = 0;
  int reads = 0;

  static bool Read(void* source, uint8_t* into, uint32_t wanted, uint32_t* received) {
    auto* body = static_cast<ScriptedBody*>(source);
    ++body->reads;
    scriptedClock += body->msPerRead;
    body->largestWanted = std::max(body->largestWanted, wanted);
    if (body->offset >= body->failAt) return false;
    size_t n = std::min({static_cast<size_t>(wanted), body->pieceSize,
                         body->bytes.size() - body->offset, body->failAt - body->offset});
    std::memcpy(into, body->bytes.data() + body->offset, n);
    body->offset += n;
    *received = static_cast<uint32_t>(n);
    return true;
  }
};

struct Progress {
  std::vector<std::pair<int32_t, uint32_t>> calls;
  static void Record(int32_t expected, uint32_t received, void* context) {
    static_cast<Progress*>(context)->calls.emplace_back(expected, received);
  }
};

TEST(ReadAnnouncedBody, AcceptsOnlyABodyOfExactlyTheAnnouncedLength) {
  struct Case {
    const char* name;
    uint32_t announced;
    size_t sent;
    size_t pieceSize;
    size_t failAt;
    BodyEnd end;
  };
  const Case cases[] = {
      {"exact, in chunks", kLongBody, kLongBody, kAsAsked, std::string::npos, BodyEnd::kComplete},
      {"exact, trickled", 5000, 5000, 7, std::string::npos, BodyEnd::kComplete},
      {"empty", 0, 0, kAsAsked, std::string::npos, BodyEnd::kComplete},
      {"ends early", 1000, 600, kAsAsked, std::string::npos, BodyEnd::kEndedEarly},
      {"goes on past its end", 100, 150, kAsAsked, std::string::npos, BodyEnd::kTooLong},
      {"goes on past an empty body", 0, 5, kAsAsked, std::string::npos, BodyEnd::kTooLong},
      {"read fails", kLongBody, kLongBody, kAsAsked, kDownloadPieceSize + 5, BodyEnd::kReadFailed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedBody source{BytePattern(c.sent), c.pieceSize, c.failAt};
    XData body;
    ASSERT_EQ(ReadAnnouncedBody(body, c.announced, ScriptedBody::Read, &source, nullptr, nullptr,
                                nullptr),
              c.end);
    EXPECT_LE(source.largestWanted, kDownloadPieceSize);
    if (c.end != BodyEnd::kComplete) {
      EXPECT_EQ(body.Length(), 0u);
      continue;
    }
    ASSERT_EQ(body.Length(), c.announced);
    ASSERT_NE(body.Data(), nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(body.Data()), body.Length()), source.bytes);
    EXPECT_EQ(body.Data()[c.announced], 0);
    EXPECT_EQ(body.Data()[c.announced + 1], 0);
  }
}

TEST(ReadAnnouncedBody, ReportsProgressAfterEachPiece) {
  ScriptedBody source{BytePattern(kLongBody)};
  XData body;
  Progress progress;
  ASSERT_EQ(ReadAnnouncedBody(body, kLongBody, ScriptedBody::Read, &source, Progress::Record,
                              &progress, nullptr),
            BodyEnd::kComplete);
  const int32_t expectedSize = kLongBody + 2;
  const std::vector<std::pair<int32_t, uint32_t>> expected = {
      {expectedSize, kDownloadPieceSize},
      {expectedSize, 2 * kDownloadPieceSize},
      {expectedSize, kLongBody}};
  EXPECT_EQ(progress.calls, expected);
}

TEST(ReadAnnouncedBody, ReusesItsBufferAndStillTerminatesAShorterBody) {
  XData body;
  ScriptedBody first{std::string(1000, 'a')};
  ASSERT_EQ(ReadAnnouncedBody(body, 1000, ScriptedBody::Read, &first, nullptr, nullptr, nullptr),
            BodyEnd::kComplete);
  const uint8_t* storage = body.Data();
  ScriptedBody second{"short"};
  ASSERT_EQ(ReadAnnouncedBody(body, 5, ScriptedBody::Read, &second, nullptr, nullptr, nullptr),
            BodyEnd::kComplete);
  EXPECT_EQ(body.Data(), storage);
  // Read as text, the second document must not run on into the first one's bytes.
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(body.Data())), "short");
}

// A length no document may have is refused before a byte is allocated or read.
TEST(ReadAnnouncedBody, RefusesALengthAboveTheLargestDocumentWithoutReading) {
  for (uint32_t announced : {kLargestDocument + 1, 2000000000u, 0xFFFFFFFFu}) {
    SCOPED_TRACE(announced);
    ScriptedBody source{"x"};
    XData body;
    EXPECT_EQ(
        ReadAnnouncedBody(body, announced, ScriptedBody::Read, &source, nullptr, nullptr, nullptr),
        BodyEnd::kTooLarge);
    EXPECT_EQ(source.reads, 0);
    EXPECT_EQ(body.Capacity(), 0u);
  }
  ScriptedBody source{"x"};
  XData body;
  EXPECT_EQ(ReadAnnouncedBody(body, 1, nullptr, &source, nullptr, nullptr, nullptr),
            BodyEnd::kReadFailed);
}

// Where the pump's pieces go; refuses once it would hold more than refuseAfter bytes.
struct ScriptedSink {
  std::string bytes;
  size_t refuseAfter = std::string::npos;

  static bool Write(void* sink, const uint8_t* data, uint32_t n) {
    auto* self = static_cast<ScriptedSink*>(sink);
    if (self->bytes.size() + n > self->refuseAfter) return false;
    self->bytes.append(reinterpret_cast<const char*>(data), n);
    return true;
  }
};

// How a body ends decides what a download does next: a cut-off or too slow body is resumed, a
// longer one is not the file, a full disk ends it, and so does a deadline that has passed.
TEST(BodyPump, SaysHowTheBodyEnded) {
  constexpr uint64_t kNoDeadline = UINT64_MAX;
  struct Case {
    const char* name;
    size_t sent;
    size_t failAt;
    size_t refuseAfter;
    BodyEnd end;
    size_t moved;  // bytes the sink holds at the end
    size_t pieceSize = kAsAsked;
    uint64_t msPerRead = 0;
    uint64_t msToDeadline = kNoDeadline;
  };
  constexpr size_t kNever = std::string::npos;
  const Case cases[] = {
      {"whole", kLongBody, kNever, kNever, BodyEnd::kComplete, kLongBody},
      {"cut off", 20000, kNever, kNever, BodyEnd::kEndedEarly, 20000},
      {"longer than its length", kLongBody + 1, kNever, kNever, BodyEnd::kTooLong, kLongBody},
      {"read fails", kLongBody, 25000, kNever, BodyEnd::kReadFailed, 25000},
      {"sink refuses", kLongBody, kNever, 30000, BodyEnd::kWriteFailed, kDownloadPieceSize},
      // A byte every five seconds: the first window closes with six.
      {"a trickle", kLongBody, kNever, kNever, BodyEnd::kTooSlow, 6, 1, 5000},
      {"slow but steady", kLongBody, kNever, kNever, BodyEnd::kComplete, kLongBody,
       kDownloadPieceSize, 10000},
      {"steady, past its deadline", kLongBody, kNever, kNever, BodyEnd::kOutOfTime,
       2 * kDownloadPieceSize, kDownloadPieceSize, 10000, 15000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedBody source{BytePattern(c.sent), c.pieceSize, c.failAt, c.msPerRead};
    ScriptedSink sink;
    sink.refuseAfter = c.refuseAfter;
    BodyPump pump;
    pump.read = ScriptedBody::Read;
    pump.source = &source;
    pump.write = ScriptedSink::Write;
    pump.sink = &sink;
    pump.now = ScriptedClock;
    pump.deadline = c.msToDeadline == kNoDeadline ? kNoDeadline : scriptedClock + c.msToDeadline;
    EXPECT_EQ(pump.Run(kLongBody), c.end);
    ASSERT_EQ(sink.bytes.size(), c.moved);
    EXPECT_TRUE(sink.bytes == BytePattern(c.moved));
  }
}

TEST(BodyPump, LooksAtTheStopBeforeEachPiece) {
  for (bool stopFirst : {true, false}) {
    SCOPED_TRACE(stopFirst ? "stopped before it starts" : "stopped after two pieces");
    ScriptedBody source{BytePattern(kLongBody)};
    struct StoppingSink : ScriptedSink {
      std::atomic<bool> stop{false};
    } sink;
    sink.stop = stopFirst;
    BodyPump pump;
    pump.read = ScriptedBody::Read;
    pump.source = &source;
    pump.write = ScriptedSink::Write;
    pump.sink = &sink;
    pump.stop = &sink.stop;
    pump.onPiece = [](uint64_t moved, void* context) {
      if (moved >= 2 * kDownloadPieceSize) static_cast<StoppingSink*>(context)->stop = true;
    };
    pump.context = &sink;
    EXPECT_EQ(pump.Run(kLongBody), BodyEnd::kStopped);
    EXPECT_EQ(sink.bytes.size(), stopFirst ? 0u : 2 * kDownloadPieceSize);
    EXPECT_EQ(source.reads, stopFirst ? 0 : 2);
  }
}

TEST(ReadReplyInto, KeepsTheReplyTerminatedInsideTheBuffer) {
  struct Case {
    const char* name;
    std::string reply;
    uint32_t capacity;
    size_t pieceSize;
    size_t failAt;
    std::string kept;
  };
  const Case cases[] = {
      {"fits", "1ok", 16, kAsAsked, std::string::npos, "1ok"},
      {"cut to capacity - 1", "hello world", 6, kAsAsked, std::string::npos, "hello"},
      {"exactly capacity - 1", "hello", 6, kAsAsked, std::string::npos, "hello"},
      {"in pieces", "hello world", 64, 2, std::string::npos, "hello world"},
      {"a failed read keeps what came", "hello world", 64, 4, 8, "hello wo"},
      {"capacity 1", "hello", 1, kAsAsked, std::string::npos, ""},
      {"empty reply", "", 8, kAsAsked, std::string::npos, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedBody source{c.reply, c.pieceSize, c.failAt};
    std::vector<uint8_t> reply(c.capacity, 0xCC);  // exactly capacity bytes: ASan sees overruns
    uint32_t kept = ReadReplyInto(reply.data(), c.capacity, ScriptedBody::Read, &source);
    ASSERT_EQ(kept, c.kept.size());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(reply.data()), kept), c.kept);
    EXPECT_EQ(reply[kept], 0);
  }
}

TEST(ReadReplyInto, ReadsNothingIntoNoRoom) {
  ScriptedBody source{"hello"};
  uint8_t untouched = 0xCC;
  EXPECT_EQ(ReadReplyInto(&untouched, 0, ScriptedBody::Read, &source), 0u);
  EXPECT_EQ(untouched, 0xCC);
  EXPECT_EQ(ReadReplyInto(nullptr, 16, ScriptedBody::Read, &source), 0u);
  EXPECT_EQ(source.reads, 0);
}

}  // namespace
