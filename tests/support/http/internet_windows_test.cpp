#include "support/http/internet.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "tests/helpers/byte_pattern.h"
#include "tests/helpers/delayed_stop.h"
#include "tests/helpers/test_http_server.h"
#include "tests/helpers/test_https_server.h"

namespace {

using InternetTest = HttpServerTest;

std::string Document(const CInternet& internet) {
  return std::string(reinterpret_cast<const char*>(internet.GetData()), internet.GetSize());
}

// One POST through a fresh client, with room for a reply of 63 bytes.
struct Posted {
  bool ok;
  std::string reply;
  std::u16string contentType;  // "unchanged" unless the client set it
};

Posted PostTo(const std::u16string& url, const char16_t* userAgent = nullptr,
              const std::string& body = "x") {
  CInternet internet;
  uint8_t response[64];
  uint32_t responseLength = sizeof response;
  FixedWString<64> contentType;
  contentType.Assign(u"unchanged");
  bool ok = internet.Post(url.c_str(), userAgent, body.data(), static_cast<uint32_t>(body.size()),
                          response, &responseLength, &contentType);
  return {ok, std::string(reinterpret_cast<const char*>(response), responseLength),
          contentType.Units()};
}

// Anything less than a whole document of status 200 fails, saying why as the log tells it.
TEST_F(InternetTest, DownloadsOnlyCompleteDocumentsOfStatus200) {
  const std::u16string tooLarge = u"longer than a document may be";
  struct Case {
    std::string path;
    std::u16string why;  // empty: downloaded
    size_t size;         // of the document, which is the server's byte pattern
  };
  const Case cases[] = {
      {"/body/40000", u"", 40000},
      {"/body/0", u"", 0},
      {"/trickle/5/1000/40", u"", 5000},
      {"/redirect/body/300", u"", 300},
      {"/redirect/redirect/redirect/redirect/redirect/body/300", u"", 300},  // five: followed
      {"/redirect/redirect/redirect/redirect/redirect/redirect/body/300",    // six: not
       u"refused: too many redirects", 0},
      {"/body/64/" + std::string(3000, 'x'), u"", 64},  // a long path goes to WinINet whole
      {"/no-length/100", u"HTTP 200 with another length than expected", 0},
      // Cut off: never a short document reported as whole.
      {"/fewer/1000/600", u"cut off before its end", 0},
      // WinINet hands over what follows the announced end; the buffer holds only the announced
      // length, and a reply that contradicts its own header is refused.
      {"/more/100/50", u"longer than announced", 0},
      {"/status/404", u"HTTP 404", 0},
      {"/status/204", u"HTTP 204", 0},
      // A redirect without a Location leads nowhere.
      {"/status/302", u"refused: a redirect that may not be followed", 0},
      // Beyond any document: refused on its head, before a byte is allocated for it.
      {"/fewer/2000000000/10", tooLarge, 0},
      {"/body/" + std::to_string(kLargestDocument + 1), tooLarge, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path.substr(0, 40));
    CInternet internet;
    ASSERT_EQ(internet.Download(Url(c.path).c_str()), c.why.empty());
    EXPECT_EQ(internet.Failure().Describe(), c.why);
    ASSERT_EQ(internet.GetSize(), c.size);
    if (!c.why.empty()) continue;
    ASSERT_NE(internet.GetData(), nullptr);
    EXPECT_EQ(Document(internet), BytePattern(c.size));
    EXPECT_EQ(internet.GetData()[c.size], 0);
    EXPECT_EQ(internet.GetData()[c.size + 1], 0);
  }
}

TEST_F(InternetTest, ReportsProgressAfterEachPieceOfADownload) {
  const uint32_t size = 20 * kDownloadPieceSize + 1000;
  std::vector<std::pair<int32_t, uint32_t>> calls;
  CInternet internet;
  internet.SetProgress(
      [](int32_t expected, uint32_t received, void* context) {
        static_cast<std::vector<std::pair<int32_t, uint32_t>>*>(context)->emplace_back(expected,
                                                                                    received);
      },
      &calls);
  ASSERT_TRUE(internet.Download(Url("/body/" + std::to_string(size)).c_str()));
  ASSERT_GE(calls.size(), 21u);  // pieces of at most kDownloadPieceSize
  uint32_t last = 0;
  for (size_t i = 0; i < calls.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(calls[i].first, static_cast<int32_t>(size + 2));
    EXPECT_GT(calls[i].second, last);
    EXPECT_LE(calls[i].second - last, kDownloadPieceSize);
    last = calls[i].second;
  }
  EXPECT_EQ(last, size);
}

// A reply whose length is beyond what a document may be is refused on its head: nothing of its
// body is read (so nothing is told), and nothing is reserved for it.
TEST_F(InternetTest, RefusesALyingLengthBeforeReadingItsBody) {
  int told = 0;
  CInternet internet;
  internet.SetProgress([](int32_t, uint32_t, void* context) { ++*static_cast<int*>(context); },
                       &told);
  EXPECT_FALSE(internet.Download(Url("/fewer/2000000000/10").c_str()));
  EXPECT_EQ(told, 0);
  EXPECT_EQ(internet.GetSize(), 0u);
}

TEST_F(InternetTest, EndsARedirectLoopAfterFiveRedirects) {
  const std::string key = FreshKey("loop");
  CInternet internet;
  EXPECT_FALSE(internet.Download(Url("/loop/" + key).c_str()));
  // The first request and the five redirects it was allowed.
  EXPECT_EQ(Log(key).size(), 6u);
}

// The wait for a reply's head is bounded as well as the wait for its body: a server that takes
// the request and never answers is given up after the receive time-out (7 s), where an unbounded
// wait would last until the server gave up (120 s here).
TEST_F(InternetTest, GivesUpOnAServerThatNeverAnswers) {
  for (bool post : {false, true}) {
    SCOPED_TRACE(post ? "POST" : "GET");
    CInternet internet;
    uint8_t reply[16];
    uint32_t replyLength = sizeof reply;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(post ? internet.Post(Url("/silent").c_str(), nullptr, "x", 1, reply,
                                      &replyLength, nullptr)
                      : internet.Download(Url("/silent").c_str()));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
  }
}

// A stop is noticed as the next piece of a slow body arrives, not when a large read fills.
TEST_F(InternetTest, AStopEndsATricklingDownloadAtOnce) {
  DelayedStop stop(std::chrono::seconds(1));
  CInternet internet;
  internet.SetStopRequest(stop.Flag());
  // 200 KB at 20 KB a second.
  EXPECT_FALSE(internet.Download(Url("/trickle/200/1000/50").c_str()));
  EXPECT_LT(stop.SinceSet(), std::chrono::milliseconds(500));
}

TEST_F(InternetTest, KeepsOneSessionAndBufferAcrossDownloads) {
  CInternet internet;
  ASSERT_TRUE(internet.Download(Url("/body/1000").c_str()));
  ASSERT_TRUE(internet.Download(Url("/body/10").c_str()));
  // A shorter document in the reused buffer is still terminated right after its end.
  EXPECT_EQ(Document(internet), BytePattern(10));
  EXPECT_EQ(internet.GetData()[10], 0);
  EXPECT_EQ(internet.GetData()[11], 0);
  EXPECT_FALSE(internet.Download(Url("/status/404").c_str()));
  EXPECT_EQ(internet.GetSize(), 0u);
  EXPECT_FALSE(internet.Download(nullptr));
  ASSERT_TRUE(internet.Download(Url("/body/20").c_str()));
  EXPECT_EQ(Document(internet), BytePattern(20));
}

TEST_F(InternetTest, PostsTheBodyAsItIsWithTheFormHeaders) {
  struct Case {
    std::string key;
    std::string body;
    const char16_t* userAgent;
    std::string sentAgent;
  };
  const std::string builtInAgent =
      "Mozilla/5.0 (Windows NT 6.1; WOW64) AppleWebKit/537.36 (KHTML, like Gecko) "
      "Chrome/43.0.2357.81 Safari/537.36";
  const Case cases[] = {
      {"form", "action=1&version=1.0.0.0&system=Windows 7&device=ABC", u"client/1.0",
       "client/1.0"},
      {"empty", "", u"client/1.0", "client/1.0"},
      {"binary", std::string("a\0b\r\n\r\nc\xff", 9), nullptr, builtInAgent},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    Posted posted = PostTo(Url("/record/" + c.key + "?reply=1ok"), c.userAgent, c.body);
    ASSERT_TRUE(posted.ok);
    EXPECT_EQ(posted.reply, "1ok");
    EXPECT_EQ(posted.contentType, u"text/plain");

    std::string request = Received(c.key);
    SCOPED_TRACE(request);
    EXPECT_EQ(request.rfind("POST /record/" + c.key + "?reply=1ok HTTP/1.0\r\n", 0), 0u);
    EXPECT_NE(request.find("\r\nContent-Type: application/x-www-form-urlencoded\r\n"),
              std::string::npos);
    EXPECT_NE(request.find("\r\nContent-Length: " + std::to_string(c.body.size()) + "\r\n"),
              std::string::npos);
    EXPECT_NE(request.find("\r\nUser-Agent: " + c.sentAgent + "\r\n"), std::string::npos);
    size_t bodyStart = request.find("\r\n\r\n");
    ASSERT_NE(bodyStart, std::string::npos);
    EXPECT_EQ(request.substr(bodyStart + 4), c.body);
  }
}

TEST_F(InternetTest, ReadsTheReplyIntoTheCallersBufferAndNoFurther) {
  struct Case {
    const char* name;
    std::string reply;  // the server answers "abcdefghij" repeated
    uint32_t capacity;
    std::string kept;
  };
  const std::string longReply = [] {
    std::string text;
    for (int i = 0; i < 500; ++i) text += "abcdefghij";
    return text;
  }();
  const Case cases[] = {
      {"cut to capacity - 1", "reply=abcdefghij&repeat=500", 1024, longReply.substr(0, 1023)},
      {"capacity 1", "reply=abcdefghij", 1, ""},
      {"empty reply", "reply=", 16, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CInternet internet;
    std::vector<uint8_t> response(c.capacity + 1, 0xCC);  // one guard byte past the capacity
    uint32_t responseLength = c.capacity;
    ASSERT_TRUE(internet.Post(Url(std::string("/record/reply?") + c.reply).c_str(), nullptr, "x", 1,
                              response.data(), &responseLength, nullptr));
    ASSERT_EQ(responseLength, c.kept.size());
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(response.data()), responseLength), c.kept);
    EXPECT_EQ(response[responseLength], 0);
    EXPECT_EQ(response[c.capacity], 0xCC);
  }

  CInternet internet;
  uint32_t noRoom = 0;
  EXPECT_TRUE(internet.Post(Url("/record/reply?reply=abc").c_str(), nullptr, "x", 1, nullptr,
                            &noRoom, nullptr));
  EXPECT_EQ(noRoom, 0u);
}

TEST_F(InternetTest, TakesTheReplysContentTypeOnlyWhenItFits) {
  struct Case {
    std::string type;  // as sent by the server
    std::u16string kept;
  };
  const std::string longType = "application/x-" + std::string(60, 't');
  const Case cases[] = {
      {"application/json; charset=utf-8", u"application/json; charset=utf-8"},
      {longType, u"unchanged"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.type);
    Posted posted = PostTo(Url("/record/type?reply=1&type=" + c.type));
    ASSERT_TRUE(posted.ok);
    EXPECT_EQ(posted.contentType, c.kept);
  }
}

TEST_F(InternetTest, RefusesRequestsItCannotSendWhole) {
  // A path of 2,047 characters is sent as it is; one more would have to be cut, and is refused
  // before anything is sent.
  const std::string prefix = "/record/longpath?reply=1&pad=";
  const std::string fits = prefix + std::string(2047 - prefix.size(), 'p');
  ASSERT_TRUE(PostTo(Url(fits)).ok);
  EXPECT_EQ(Received("longpath").rfind("POST " + fits + " HTTP/1.0\r\n", 0), 0u);
  EXPECT_FALSE(PostTo(Url("/record/toolong?reply=1&pad=" + std::string(2047, 'p'))).ok);
  EXPECT_EQ(Received("toolong"), "<nothing received>");

  struct Case {
    const char* name;
    std::u16string url;
  };
  const Case cases[] = {
      {"status 404", Url("/status/404")},
      {"status 204", Url("/status/204")},
      {"nothing listening", u"http://127.0.0.1:1/"},
      {"port out of range", u"http://127.0.0.1:65536/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Posted posted = PostTo(c.url);
    EXPECT_FALSE(posted.ok);
    EXPECT_EQ(posted.reply, "");
  }
  CInternet internet;
  uint8_t response[16];
  uint32_t responseLength = sizeof response;
  EXPECT_FALSE(internet.Post(nullptr, nullptr, "x", 1, response, &responseLength, nullptr));
  EXPECT_FALSE(internet.Post(Url("/record/x").c_str(), nullptr, "x", 1, response, nullptr,
                             nullptr));
  EXPECT_FALSE(internet.Post(Url("/record/x").c_str(), nullptr, nullptr, 5, response,
                             &responseLength, nullptr));
}

using InternetHttpsTest = HttpsServerTest;

// An https server is one whose certificate verifies: issued to the name asked for, in date, by a
// trusted authority. Any other fails as an unreachable server does.
TEST_F(InternetHttpsTest, DownloadsOnlyFromAServerWhoseCertificateVerifies) {
  for (const CertificateKind& c : kCertificateKinds) {
    SCOPED_TRACE(c.kind);
    CInternet internet;
    ASSERT_EQ(internet.Download(SecureUrl(c.kind, "/body/5000").c_str()), c.verifies);
    if (c.verifies) {
      EXPECT_TRUE(Document(internet) == BytePattern(5000));
    }
  }
}

}  // namespace
