#include "support/http/file_download.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "support/http/http_body_reader.h"
#include "support/http/http_get.h"
#include "support/text/utf8.h"
#include "tests/helpers/byte_pattern.h"
#include "tests/helpers/delayed_stop.h"
#include "tests/helpers/md5_hex.h"
#include "tests/helpers/temp_folder.h"
#include "tests/helpers/test_http_server.h"
#include "tests/helpers/test_https_server.h"

namespace {

using FileDownloadTest = HttpServerTest;

struct Told {
  std::vector<uint64_t> staged;
  static void Take(uint64_t staged, uint64_t, void* context) {
    static_cast<Told*>(context)->staged.push_back(staged);
  }
};

// One download of the pattern of size bytes from url into the temporary folder.
struct Fetched {
  DownloadResult result;
  std::string staged;  // "<none>" when no staging file is left
  Told told;
  std::u16string why;  // the failure, as the log tells it
};

Fetched Fetch(const std::u16string& url, uint32_t size, const std::string& stagedBefore = "") {
  TempFolder temp;
  const std::filesystem::path staging = temp.Path() / "client.bin.download~";
  if (!stagedBefore.empty()) WriteBytes(staging, stagedBefore);
  CHttpGet source;
  CFileDownload download(source);
  Fetched fetched;
  download.SetProgress(&Told::Take, &fetched.told);
  fetched.result = download.Fetch(url.c_str(), staging.u16string().c_str(), size,
                                  Md5FileVerifier(Md5Hex(BytePattern(size)).c_str()));
  fetched.staged = std::filesystem::exists(staging) ? ReadBytes(staging) : "<none>";
  fetched.why = download.Failure().Describe();
  return fetched;
}

// A transfer cut off part-way goes on from the bytes already there, with a Range request, and
// ends byte for byte the file; so does one whose server ignores the range (sending it whole), or
// fails for a while, or whose earlier part a cut-off run left.
TEST_F(FileDownloadTest, ResumesACutOffTransferUntilTheFileIsWhole) {
  const uint32_t size = 3000000;
  struct Case {
    const char* name;
    std::string options;       // of the server's /resumable reply
    uint32_t stagedBefore;     // bytes of the file an earlier run left
    std::vector<std::string> log;  // the requests the server saw; "bytes=*" any range
  };
  const Case cases[] = {
      {"cut once", "cut=1000000", 0, {"- 200", "bytes=1000000- 206"}},
      {"reset once", "cut=1000000&reset=1", 0, {"- 200", "bytes=* 206"}},
      {"cut, and ranges ignored", "cut=1000000&ranges=ignore", 0,
       {"- 200", "bytes=1000000- 200"}},
      {"failing twice", "fail=2", 0, {"- 503", "- 503", "- 200"}},
      {"left by an earlier run", "", 1234567, {"bytes=1234567- 206"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string key = FreshKey("file");
    const Fetched fetched =
        Fetch(Url("/resumable/" + key + "/" + std::to_string(size) + "?" + c.options), size,
              BytePattern(c.stagedBefore));
    EXPECT_EQ(fetched.result, DownloadResult::kDone);
    ASSERT_EQ(fetched.staged.size(), size);
    EXPECT_TRUE(fetched.staged == BytePattern(size));
    const std::vector<std::string> log = Log(key);
    std::string logText;
    for (const std::string& line : log) logText += line + "\n";
    SCOPED_TRACE(logText);
    ASSERT_EQ(log.size(), c.log.size());
    for (size_t i = 0; i < log.size(); ++i) {
      SCOPED_TRACE(log[i]);
      if (c.log[i] == "bytes=* 206") {
        EXPECT_EQ(log[i].rfind("bytes=", 0), 0u);
        EXPECT_EQ(log[i].substr(log[i].size() - 4), " 206");
      } else {
        EXPECT_EQ(log[i], c.log[i]);
      }
    }
    // Told as the bytes arrive, at least every piece.
    for (size_t i = 1; i < fetched.told.staged.size(); ++i) {
      if (fetched.told.staged[i] > fetched.told.staged[i - 1]) {
        EXPECT_LE(fetched.told.staged[i] - fetched.told.staged[i - 1], kDownloadPieceSize);
      }
    }
    EXPECT_EQ(fetched.told.staged.back(), size);
  }
}

// What cannot become the listed file ends the download, with nothing left behind, saying why; a
// lying length is refused on its head.
TEST_F(FileDownloadTest, FailsAtOnceOnWhatCannotBeTheFile) {
  const std::u16string wrongLength = u"HTTP 200 with another length than expected";
  struct Case {
    const char* name;
    std::string path;
    uint32_t size;
    std::u16string why;
  };
  const std::string loop = FreshKey("loop");
  const Case cases[] = {
      {"a lying length", "/fewer/2000000000/10", 10, wrongLength},
      {"a shorter file", "/body/5000", 6000, wrongLength},
      {"not found", "/status/404", 100, u"HTTP 404"},
      {"a redirect loop", "/loop/" + loop, 100, u"refused: too many redirects"},
      {"a redirect without a Location", "/status/302", 100,
       u"refused: a redirect that may not be followed"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Fetched fetched = Fetch(Url(c.path), c.size, BytePattern(c.size / 2));
    EXPECT_EQ(fetched.result, DownloadResult::kFailed);
    EXPECT_EQ(fetched.staged, "<none>");
    EXPECT_EQ(fetched.why, c.why);
  }
  EXPECT_EQ(Log(loop).size(), 6u);  // one request and five redirects, and no second try
}

// A stop during a slow transfer ends it as the next piece arrives; what arrived stays for the
// next run to resume.
TEST_F(FileDownloadTest, AStopEndsATricklingTransferAtOnce) {
  TempFolder temp;
  const std::filesystem::path staging = temp.Path() / "slow.bin.download~";
  CHttpGet source;
  CFileDownload download(source);
  DelayedStop stop(std::chrono::seconds(1));
  download.SetStopRequest(stop.Flag());
  // 200 KB at 20 KB a second.
  EXPECT_EQ(download.Fetch(Url("/trickle/200/1000/50").c_str(), staging.u16string().c_str(),
                           200000, nullptr),
            DownloadResult::kStopped);
  EXPECT_LT(stop.SinceSet(), std::chrono::milliseconds(500));
  const std::string kept = ReadBytes(staging);
  EXPECT_GT(kept.size(), 0u);
  EXPECT_LT(kept.size(), 200000u);
  EXPECT_TRUE(kept == BytePattern(kept.size()));
}

using FileDownloadHttpsTest = HttpsServerTest;

// A certificate that does not verify fails at once (trying again would meet the same one), and
// leaves nothing behind.
TEST_F(FileDownloadHttpsTest, DownloadsOnlyFromAServerWhoseCertificateVerifies) {
  for (const CertificateKind& c : kCertificateKinds) {
    SCOPED_TRACE(c.kind);
    const Fetched fetched = Fetch(SecureUrl(c.kind, "/body/70000"), 70000);
    EXPECT_EQ(fetched.result, c.verifies ? DownloadResult::kDone : DownloadResult::kFailed);
    EXPECT_TRUE(fetched.staged == (c.verifies ? BytePattern(70000) : std::string("<none>")));
    // WinINet's own reason follows.
    const std::u16string refused = u"refused: ";
    EXPECT_EQ(fetched.why.size() > refused.size() && fetched.why.compare(0, 9, refused) == 0,
              !c.verifies)
        << Utf16ToUtf8(fetched.why.c_str());
  }
}

}  // namespace
