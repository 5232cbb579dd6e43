#include "support/http/file_download.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "support/http/http_body_reader.h"
#include "support/http/http_source.h"
#include "support/text/system_error_text.h"
#include "tests/helpers/byte_pattern.h"
#include "tests/helpers/made_link.h"
#include "tests/helpers/md5_hex.h"
#include "tests/helpers/temp_folder.h"

namespace {

constexpr size_t kWhole = std::string::npos;
constexpr uint32_t kSize = 100000;

// The system's code for a path through a folder that is not there.
#ifdef _WIN32
constexpr uint32_t kNoSuchFolder = 3;  // ERROR_PATH_NOT_FOUND
#else
constexpr uint32_t kNoSuchFolder = ENOENT;
#endif

// The clock the downloads are measured by: each read takes its reply's msPerRead on it.
uint64_t scriptedClock = 0;
uint64_t ScriptedClock() { return scriptedClock; }

// One reply a scripted server gives, in turn.
struct ScriptedReply {
  SendOutcome outcome = SendOutcome::kReplied;
  ReplyHead head;
  std::string body;
  size_t cutAt = kWhole;   // the body stops after this many of its bytes
  bool cutFails = false;   // ... by a failed read, rather than an early end
  size_t piece = kWhole;   // the most one read hands over
  uint64_t msPerRead = 0;
  std::u16string error;    // why a send or a read of it failed, in the system's words
};

ScriptedReply NoReply() {
  ScriptedReply reply;
  reply.outcome = SendOutcome::kNoReply;
  reply.error = u"connection refused";
  return reply;
}

ScriptedReply Refused() {
  ScriptedReply reply;
  reply.outcome = SendOutcome::kRefused;
  reply.error = u"the certificate is not trusted";
  return reply;
}

ScriptedReply Status(int status) {
  ScriptedReply reply;
  reply.head = {status, "0", ""};
  return reply;
}

ScriptedReply Whole(const std::string& content, size_t cutAt = kWhole) {
  ScriptedReply reply;
  reply.head = {200, std::to_string(content.size()), ""};
  reply.body = content;
  reply.cutAt = cutAt;
  return reply;
}

ScriptedReply Rest(const std::string& content, size_t from, size_t cutAt = kWhole) {
  ScriptedReply reply;
  reply.head = {206, std::to_string(content.size() - from),
                "bytes " + std::to_string(from) + "-" + std::to_string(content.size() - 1) + "/" +
                    std::to_string(content.size())};
  reply.body = content.substr(from);
  reply.cutAt = cutAt;
  return reply;
}

// The reply, its body ending where it is cut by a reset connection.
ScriptedReply Reset(ScriptedReply reply) {
  reply.cutFails = true;
  reply.error = u"connection reset";
  return reply;
}

class ScriptedSource : public IHttpSource {
 public:
  explicit ScriptedSource(std::vector<ScriptedReply> replies) : replies_(std::move(replies)) {}

  SendOutcome Send(const char16_t*, uint64_t offset, ReplyHead* head) override {
    requested.push_back(offset);
    current_ = next_ < replies_.size() ? replies_[next_++] : NoReply();
    at_ = 0;
    *head = current_.head;
    return current_.outcome;
  }
  bool Read(uint8_t* into, uint32_t wanted, uint32_t* received) override {
    ++reads;
    scriptedClock += current_.msPerRead;
    const size_t end = std::min(current_.body.size(), current_.cutAt);
    if (at_ >= end && at_ < current_.body.size() && current_.cutFails) return false;
    const size_t n = std::min<size_t>({wanted, current_.piece, end - std::min(end, at_)});
    std::memcpy(into, current_.body.data() + at_, n);
    at_ += n;
    *received = static_cast<uint32_t>(n);
    return true;
  }

  std::u16string LastError() const override { return current_.error; }

  std::vector<uint64_t> requested;  // the offset of every request
  int reads = 0;

 private:
  std::vector<ScriptedReply> replies_;
  size_t next_ = 0;
  ScriptedReply current_;
  size_t at_ = 0;
};

// Every report a download gives.
struct Reports {
  std::vector<uint64_t> staged;
  std::atomic<bool>* stopAt = nullptr;  // set once the file holds stopAfter bytes
  uint32_t stopAfter = 0;

  static void Take(uint64_t staged, uint64_t expected, void* context) {
    auto* reports = static_cast<Reports*>(context);
    EXPECT_EQ(expected, kSize);
    reports->staged.push_back(staged);
    if (reports->stopAt != nullptr && staged >= reports->stopAfter) *reports->stopAt = true;
  }
};

std::string AltPattern(size_t n) {
  std::string bytes = BytePattern(n);
  for (char& byte : bytes) byte = static_cast<char>(~byte);
  return bytes;
}

// What the staging file holds before and after, the server's replies, the offsets asked for and
// the result. A staging file that is gone is "<none>".
TEST(FileDownload, ResumesRetriesAndChecksUntilTheFileIsWhole) {
  const std::string file = BytePattern(kSize);
  const std::string none = "<none>";
  struct Case {
    const char* name;
    std::string stagedBefore;
    std::vector<ScriptedReply> replies;
    DownloadResult result;
    std::u16string why;  // the last attempt's failure, as the log tells it; empty for none
    std::vector<uint64_t> requested;
    std::string stagedAfter;
    bool bodyUnread = false;  // refused on its head, before a byte of the body was read
    // Planted: the staging name is a link to another file holding stagedBefore, which must
    // stay as it is; or the staging file's folder is gone.
    enum { kOwnFile, kHardLink, kSymbolicLink, kFolderGone } planted = kOwnFile;
  };
  const Case cases[] = {
      {"the whole file", none, {Whole(file)}, DownloadResult::kDone, u"", {0}, file},
      {"cut off, then resumed", none, {Whole(file, 40000), Rest(file, 40000)},
       DownloadResult::kDone, u"", {0, 40000}, file},
      {"reset, then the server ignores the range", none, {Reset(Whole(file, 40000)), Whole(file)},
       DownloadResult::kDone, u"", {0, 40000}, file},
      {"an earlier run's part", file.substr(0, 30000), {Rest(file, 30000)},
       DownloadResult::kDone, u"", {30000}, file},
      {"an earlier run's part of another file", AltPattern(30000),
       {Rest(file, 30000), Whole(file)}, DownloadResult::kDone, u"", {30000, 0}, file},
      {"an earlier run's whole file", file, {}, DownloadResult::kDone, u"", {}, file},
      {"an earlier run's whole other file", AltPattern(kSize), {Whole(file)},
       DownloadResult::kDone, u"", {0}, file},
      {"more than the file", file + "tail", {Whole(file)}, DownloadResult::kDone, u"", {0},
       file},
      {"a failing server, then the file", none, {Status(503), Status(500), Whole(file)},
       DownloadResult::kDone, u"", {0, 0, 0}, file},
      {"no server", none, {NoReply(), NoReply(), NoReply(), NoReply()},
       DownloadResult::kCutOff, u"no reply: connection refused", {0, 0, 0, 0}, none},
      {"cut off every time", none,
       {Whole(file, 10000), Rest(file, 10000, 10000), Rest(file, 20000, 10000),
        Rest(file, 30000, 10000)},
       DownloadResult::kCutOff, u"cut off before its end", {0, 10000, 20000, 30000},
       file.substr(0, 40000)},
      {"reset every time", none,
       {Reset(Whole(file, 40000)), Reset(Rest(file, 40000, 10000)),
        Reset(Rest(file, 50000, 10000)), Reset(Rest(file, 60000, 10000))},
       DownloadResult::kCutOff, u"cut off: connection reset", {0, 40000, 50000, 60000},
       file.substr(0, 70000)},
      {"not found", file.substr(0, 30000), {Status(404)}, DownloadResult::kFailed, u"HTTP 404",
       {30000}, none, true},
      {"a certificate that does not verify", none, {Refused()}, DownloadResult::kFailed,
       u"refused: the certificate is not trusted", {0}, none, true},
      {"a lying length", none, {[&] {
         ScriptedReply reply = Whole(file);
         reply.head.contentLength = "2000000000";
         return reply;
       }()},
       DownloadResult::kFailed, u"HTTP 200 with another length than expected", {0}, none, true},
      {"altered on the way", none, {Whole(AltPattern(kSize))}, DownloadResult::kFailed,
       u"not the listed file: its size or MD5 differs", {0}, none},
      {"longer than announced", none, {[&] {
         ScriptedReply reply = Whole(file);
         reply.body += "x";
         return reply;
       }()},
       DownloadResult::kFailed, u"longer than announced", {0}, none},
      {"another file from the start too", AltPattern(30000),
       {Rest(file, 30000), Whole(AltPattern(kSize))}, DownloadResult::kFailed,
       u"not the listed file: its size or MD5 differs", {30000, 0}, none},
      {"a hard link to another file's part", file.substr(0, 30000), {Whole(file)},
       DownloadResult::kDone, u"", {0}, file, false, Case::kHardLink},
      {"a hard link to a whole copy elsewhere", file, {Whole(file)}, DownloadResult::kDone, u"",
       {0}, file, false, Case::kHardLink},
      {"a hard link, and the server fails", file.substr(0, 30000), {Status(404)},
       DownloadResult::kFailed, u"HTTP 404", {0}, none, true, Case::kHardLink},
      {"no folder to write in", none, {Whole(file)}, DownloadResult::kFailed,
       u"not written: " + SystemErrorText(kNoSuchFolder), {0}, none, true, Case::kFolderGone},
#ifndef _WIN32
      // Wine shows a link to a file as the file it leads to, not as a link.
      {"a symbolic link to another file's part", file.substr(0, 30000), {Whole(file)},
       DownloadResult::kDone, u"", {0}, file, false, Case::kSymbolicLink},
#endif
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder temp;
    const std::filesystem::path staging =
        temp.Path() / (c.planted == Case::kFolderGone ? "gone/" : "") / "client.dll.download~";
    const std::filesystem::path other = temp.Path() / "elsewhere.dat";
    std::unique_ptr<MadeLink> symbolicLink;
    const bool linked = c.planted == Case::kHardLink || c.planted == Case::kSymbolicLink;
    if (linked) {
      WriteBytes(other, c.stagedBefore);
      if (c.planted == Case::kHardLink) std::filesystem::create_hard_link(other, staging);
      if (c.planted == Case::kSymbolicLink) {
        symbolicLink = std::make_unique<MadeLink>(staging, other);
      }
    } else if (c.stagedBefore != none) {
      WriteBytes(staging, c.stagedBefore);
    }
    ScriptedSource source(c.replies);
    CFileDownload download(source);
    Reports reports;
    download.SetProgress(&Reports::Take, &reports);
    EXPECT_EQ(download.Fetch(u"http://server/client.dll", staging.u16string().c_str(), kSize,
                             Md5FileVerifier(Md5Hex(file).c_str())),
              c.result);
    EXPECT_EQ(download.Failure().Describe(), c.why);
    EXPECT_EQ(source.requested, c.requested);
    const std::string after = std::filesystem::exists(staging) ? ReadBytes(staging) : none;
    ASSERT_EQ(after.size(), c.stagedAfter.size());
    EXPECT_TRUE(after == c.stagedAfter);
    if (c.bodyUnread) {
      EXPECT_EQ(source.reads, 0);
    }
    if (linked) {
      EXPECT_TRUE(ReadBytes(other) == c.stagedBefore);
    }
    // Told at least every piece within a transfer, never past the file.
    for (size_t i = 1; i < reports.staged.size(); ++i) {
      if (reports.staged[i] > reports.staged[i - 1]) {
        EXPECT_LE(reports.staged[i] - reports.staged[i - 1], kDownloadPieceSize);
      }
      EXPECT_LE(reports.staged[i], kSize);
    }
    if (c.result == DownloadResult::kDone) {
      EXPECT_EQ(reports.staged.back(), kSize);
    }
  }
}

// A file larger than 4 GB goes on from past 4 GB: each request asks from its whole offset, each
// reply's range is judged in 64 bits, and the finished file is checked at its whole size. Its
// bytes are zeros but for its end, sparse on disk and never held; the verifier reads that end
// alone, as a digest of gigabytes would make the test slow.
TEST(FileDownload, ResumesAFileLargerThan4GbPastIt) {
  constexpr uint64_t kZeros = uint64_t{5} << 30;
  const std::string end = BytePattern(100000);
  const uint64_t size = kZeros + end.size();
  TempFolder temp;
  const std::filesystem::path staging = temp.Path() / "big.bin.download~";
  // What an earlier run left: the zeros and the first 20,000 bytes of the end.
  std::ofstream(staging, std::ios::binary).close();
  std::filesystem::resize_file(staging, kZeros);
  std::ofstream(staging, std::ios::binary | std::ios::app) << end.substr(0, 20000);
  const auto rest = [&](uint64_t from, size_t cutAt) {
    ScriptedReply reply;
    reply.head = {206, std::to_string(size - from),
                  "bytes " + std::to_string(from) + "-" + std::to_string(size - 1) + "/" +
                      std::to_string(size)};
    reply.body = end.substr(static_cast<size_t>(from - kZeros));
    reply.cutAt = cutAt;
    return reply;
  };
  ScriptedSource source({rest(kZeros + 20000, 30000), rest(kZeros + 50000, kWhole)});
  CFileDownload download(source);
  struct Told {
    std::vector<uint64_t> staged;
    std::vector<uint64_t> expected;
  } told;
  download.SetProgress(
      [](uint64_t staged, uint64_t expected, void* context) {
        static_cast<Told*>(context)->staged.push_back(staged);
        static_cast<Told*>(context)->expected.push_back(expected);
      },
      &told);
  int checks = 0;
  const FileVerifier endMatches = [&](const char16_t* path) {
    ++checks;
    std::ifstream in(std::filesystem::path(std::u16string(path)), std::ios::binary);
    in.seekg(static_cast<std::streamoff>(kZeros));
    std::string read(end.size() + 1, '\0');
    in.read(read.data(), static_cast<std::streamsize>(read.size()));
    return in.gcount() == static_cast<std::streamsize>(end.size()) &&
           read.compare(0, end.size(), end) == 0;
  };

  EXPECT_EQ(download.Fetch(u"http://server/big.bin", staging.u16string().c_str(), size, endMatches),
            DownloadResult::kDone);
  EXPECT_EQ(source.requested, (std::vector<uint64_t>{kZeros + 20000, kZeros + 50000}));
  EXPECT_EQ(std::filesystem::file_size(staging), size);
  EXPECT_EQ(checks, 1);
  ASSERT_FALSE(told.staged.empty());
  EXPECT_EQ(told.staged.front(), kZeros + 20000);
  EXPECT_EQ(told.staged.back(), size);
  EXPECT_EQ(told.expected, std::vector<uint64_t>(told.staged.size(), size));
}

TEST(FileDownload, WithoutAVerifierChecksTheSizeAlone) {
  TempFolder temp;
  const std::filesystem::path staging = temp.Path() / "a.bin.download~";
  ScriptedSource source({Whole(AltPattern(kSize))});
  CFileDownload download(source);
  EXPECT_EQ(download.Fetch(u"http://server/a.bin", staging.u16string().c_str(), kSize, nullptr),
            DownloadResult::kDone);
  EXPECT_EQ(ReadBytes(staging), AltPattern(kSize));

  EXPECT_EQ(download.Fetch(nullptr, staging.u16string().c_str(), kSize, nullptr),
            DownloadResult::kFailed);
  EXPECT_EQ(download.Fetch(u"http://server/a.bin", nullptr, kSize, nullptr),
            DownloadResult::kFailed);
  EXPECT_EQ(download.Fetch(u"http://server/a.bin", staging.u16string().c_str(), 0, nullptr),
            DownloadResult::kFailed);
}

// A stop keeps what arrived for the next run, whether it comes during a transfer or during the
// pause before the next try.
TEST(FileDownload, AStopKeepsWhatArrived) {
  const std::string file = BytePattern(kSize);
  struct Case {
    const char* name;
    std::vector<ScriptedReply> replies;
    uint32_t stopAfter;
    size_t kept;
  };
  const Case cases[] = {
      {"during the transfer", {Whole(file)}, 2 * kDownloadPieceSize, 2 * kDownloadPieceSize},
      {"in the pause after a cut", {Whole(file, 40000), Rest(file, 40000)}, 40000, 40000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder temp;
    const std::filesystem::path staging = temp.Path() / "client.dll.download~";
    ScriptedSource source(c.replies);
    CFileDownload download(source);
    std::atomic<bool> stop{false};
    Reports reports;
    reports.stopAt = &stop;
    reports.stopAfter = c.stopAfter;
    download.SetProgress(&Reports::Take, &reports);
    download.SetStopRequest(&stop);
    EXPECT_EQ(download.Fetch(u"http://server/client.dll", staging.u16string().c_str(), kSize,
                             Md5FileVerifier(Md5Hex(file).c_str())),
              DownloadResult::kStopped);
    EXPECT_EQ(source.requested.size(), 1u);
    EXPECT_EQ(ReadBytes(staging), file.substr(0, c.kept));
  }
}

// A download's whole time is bounded by its size (DownloadTimeLimitMs): a slow but moving file
// arrives however often it is cut off, while attempts that each bring a byte or two before they
// are found too slow cannot stretch it. What arrived stays for the next run.
TEST(FileDownload, EndsWithinTheTimeLimitOfItsSize) {
  constexpr uint32_t kSmall = 1000;  // its limit: one window of 30 s and the allowance, 150 s
  const std::string file = BytePattern(kSmall);
  const auto paced = [](ScriptedReply reply) {
    reply.msPerRead = 20000;
    return reply;
  };
  // A byte every 29 s: each attempt is found too slow after its second.
  const auto trickled = [](ScriptedReply reply) {
    reply.piece = 1;
    reply.msPerRead = 29000;
    return reply;
  };
  struct Case {
    const char* name;
    std::vector<ScriptedReply> replies;
    DownloadResult result;
    std::u16string why;
    std::vector<uint64_t> requested;
    size_t staged;  // the bytes of the file the staging file holds at the end
  };
  const Case cases[] = {
      {"slow, cut off and resumed", {paced(Whole(file, 600)), paced(Rest(file, 600))},
       DownloadResult::kDone, u"", {0, 600}, kSmall},
      {"trickled and cut off again and again",
       {trickled(Whole(file)), trickled(Rest(file, 2)), trickled(Rest(file, 4)),
        trickled(Rest(file, 6))},
       DownloadResult::kCutOff, u"took longer than its time limit", {0, 2, 4}, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder temp;
    const std::filesystem::path staging = temp.Path() / "client.dll.download~";
    ScriptedSource source(c.replies);
    CFileDownload download(source);
    scriptedClock = 0;
    download.SetClock(ScriptedClock);
    EXPECT_EQ(download.Fetch(u"http://server/client.dll", staging.u16string().c_str(), kSmall,
                             Md5FileVerifier(Md5Hex(file).c_str())),
              c.result);
    EXPECT_EQ(download.Failure().Describe(), c.why);
    EXPECT_EQ(source.requested, c.requested);
    EXPECT_EQ(ReadBytes(staging), file.substr(0, c.staged));
  }
}

TEST(FileDownload, NamesTheStagingFileBesideItsTarget) {
  char16_t out[260];
  ASSERT_TRUE(StagingPathFor(u"C:\\Client\\bin\\a.dll", out));
  EXPECT_EQ(std::u16string(out), u"C:\\Client\\bin\\a.dll.download~");
  const std::u16string longest = u"C:\\" + std::u16string(249, u'a');  // 252 units
  EXPECT_FALSE(StagingPathFor(longest.c_str(), out));
  EXPECT_EQ(out[0], 0);
  EXPECT_FALSE(StagingPathFor(nullptr, out));
}

TEST(FileVerifier, MatchesOnlyTheFileOfItsDigest) {
  TempFolder temp;
  const std::filesystem::path path = temp.Path() / "f.bin";
  WriteBytes(path, "content");
  const std::u16string digest = Md5Hex("content");
  std::u16string lower = digest;
  for (char16_t& unit : lower) unit = unit >= u'A' && unit <= u'F' ? unit + 32 : unit;
  struct Case {
    std::u16string expected;
    bool matches;
  };
  const Case cases[] = {
      {digest, true},
      {lower, true},
      {Md5Hex("other"), false},
      {digest.substr(0, 31), false},
      {digest + u"0", false},
      {u"", false},
      {std::u16string(32, u'g'), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.expected.begin(), c.expected.end()));
    EXPECT_EQ(Md5FileVerifier(c.expected.c_str())(path.u16string().c_str()), c.matches);
  }
  EXPECT_FALSE(Md5FileVerifier(digest.c_str())((temp.Path() / "gone").u16string().c_str()));
  EXPECT_FALSE(Md5FileVerifier(nullptr)(path.u16string().c_str()));
}

}  // namespace
