#include "support/http/url_parts.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Narrow(const std::u16string& text) { return std::string(text.begin(), text.end()); }

TEST(UrlParts, FindsServerPortAndPathOfARequest) {
  const std::u16string longHost(255, u'h');
  const std::u16string longPath = u"/" + std::u16string(2046, u'p');
  struct Case {
    std::u16string url;
    bool ok;
    std::u16string server;
    int port;
    std::u16string path;
  };
  const Case cases[] = {
      {u"http://server:81/a/b?c=1", true, u"server", 81, u"/a/b?c=1"},
      {u"http://server", true, u"server", 80, u"/"},
      {u"https://server:444/x", true, u"server", 443, u"/x"},  // https always goes to 443
      {u"https://server", true, u"server", 443, u"/"},
      {u"server:8080/p", true, u"server", 8080, u"/p"},  // no scheme: host and path
      // A URL in the query is data, not the request's host.
      {u"https://a.example/r?next=http://b.example/x", true, u"a.example", 443,
       u"/r?next=http://b.example/x"},
      {u"http://server:/p", true, u"server", 0, u"/p"},
      {u"http://server:81x/p", true, u"server", 81, u"/p"},  // the leading digits
      {u"http://server:65535/", true, u"server", 65535, u"/"},
      {u"http://server:65536/", false, u"", 0, u""},
      {u"http://server:99999999999999999999/", false, u"", 0, u""},
      {u"http://:81/p", false, u"", 0, u""},
      {u"http://" + longHost + u"/p", true, longHost, 80, u"/p"},
      {u"http://" + longHost + u"h/p", false, u"", 0, u""},  // a cut host is another host
      {u"http://server" + longPath, true, u"server", 80, longPath},
      {u"http://server" + longPath + u"p", false, u"", 0, u""},  // nor is a cut path the same
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.url.substr(0, 60)));
    RequestTarget target{};
    ASSERT_EQ(GetRequestTarget(c.url.c_str(), &target), c.ok);
    if (!c.ok) continue;
    EXPECT_EQ(std::u16string(target.server), c.server);
    EXPECT_EQ(target.port, c.port);
    EXPECT_EQ(std::u16string(target.objectPath), c.path);
  }
  RequestTarget target{};
  EXPECT_FALSE(GetRequestTarget(nullptr, &target));
  EXPECT_FALSE(GetRequestTarget(u"http://server/", nullptr));
}

TEST(UrlParts, RecognisesHttpsOnlyAsAnExactPrefix) {
  struct Case {
    const char16_t* url;
    bool https;
  };
  const Case cases[] = {
      {u"https://server/", true}, {u"http://server/", false}, {u"HTTPS://server/", false},
      {u"xhttps://server/", false}, {u"https:/server", false}, {u"", false}, {nullptr, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.url != nullptr ? Narrow(c.url) : "null");
    EXPECT_EQ(IsHttps(c.url), c.https);
  }
}

TEST(UrlParts, CutsTheHostPartToItsBufferAndSaysSo) {
  char16_t out[5];
  EXPECT_FALSE(GetHostPart(u"http://abcdefgh/x", out, 5));
  EXPECT_EQ(std::u16string(out), u"abcd");
  EXPECT_TRUE(GetHostPart(u"http://abcd/x", out, 5));
  EXPECT_EQ(std::u16string(out), u"abcd");
  EXPECT_TRUE(GetHostPart(u"https://a:1", out, 5));
  EXPECT_EQ(std::u16string(out), u"a:1");
  EXPECT_FALSE(GetHostPart(nullptr, out, 5));
  EXPECT_FALSE(GetHostPart(u"http://a/", out, 0));
}

TEST(UrlParts, RefusesPartsThatDoNotFitWithoutWritingPastTheBuffer) {
  char16_t server[4] = {u'x', u'x', u'x', u'x'};
  int port = -1;
  EXPECT_FALSE(SplitHostPort(u"abcd:81", server, 4, &port));
  EXPECT_EQ(server[0], 0);
  EXPECT_TRUE(SplitHostPort(u"abc:81", server, 4, &port));
  EXPECT_EQ(std::u16string(server), u"abc");
  EXPECT_EQ(port, 81);
  EXPECT_FALSE(SplitHostPort(u"abc", nullptr, 4, &port));

  char16_t path[4] = {u'x', u'x', u'x', u'x'};
  EXPECT_FALSE(GetObjectPath(u"http://h/abcd", path, 4));
  EXPECT_EQ(path[0], 0);
  EXPECT_TRUE(GetObjectPath(u"http://h/ab", path, 4));
  EXPECT_EQ(std::u16string(path), u"/ab");
  EXPECT_TRUE(GetObjectPath(u"http://h", path, 2));
  EXPECT_EQ(std::u16string(path), u"/");
}

TEST(UrlParts, EscapesWhatIsPastAsciiAsUtf8AndNothingElse) {
  struct Case {
    std::u16string url;
    int capacity;
    bool ok;
    std::u16string escaped;
  };
  const Case cases[] = {
      {u"http://h/a b%20c?x=1", 64, true, u"http://h/a b%20c?x=1"},
      {u"http://h/\u8d44\u6e90/\u56fe1.txt", 64, true,
       u"http://h/%E8%B5%84%E6%BA%90/%E5%9B%BE1.txt"},
      {u"/\u00e9", 64, true, u"/%C3%A9"},
      {u"/\U0001F600", 64, true, u"/%F0%9F%98%80"},  // a surrogate pair is one character
      {u"/\xD800x", 64, true, u"/%EF%BF%BDx"},     // a lone surrogate is no character
      {u"", 1, true, u""},
      {u"/\u00e9", 8, true, u"/%C3%A9"},  // exactly fits with its terminator
      {u"/\u00e9", 7, false, u""},        // never half a character
      {u"/abc", 4, false, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.escaped));
    std::u16string out(static_cast<size_t>(c.capacity), u'?');
    EXPECT_EQ(EscapeNonAscii(c.url.c_str(), out.data(), c.capacity), c.ok);
    EXPECT_EQ(std::u16string(out.c_str()), c.escaped);
  }
}

TEST(UrlParts, EscapesEveryByteOfAPathSegmentButTheUnreservedCharacters) {
  struct Case {
    std::u16string name;
    std::u16string segment;
  };
  const Case cases[] = {
      {u"Plain-name_1.0~.txt", u"Plain-name_1.0~.txt"},
      {u"a b", u"a%20b"},
      {u"#1", u"%231"},
      {u"100%25", u"100%2525"},
      {u"what?", u"what%3F"},
      {u"c++", u"c%2B%2B"},
      {u"this&that;", u"this%26that%3B"},
      {u"a/b\\c", u"a%2Fb%5Cc"},
      {u"\u00e9\u8d44", u"%C3%A9%E8%B5%84"},
      {u"\U0001F600", u"%F0%9F%98%80"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.segment));
    EXPECT_EQ(EscapedPathSegment(c.name), c.segment);
  }
}

TEST(UrlParts, UncachedUrlIsEscapedWithAFreshQueryOrNothing) {
  FixedWString<1024> request;
  ASSERT_TRUE(MakeUncachedUrl(u"http://h/\u8d44/update.xml", &request));
  const std::u16string text(request.Units());
  const std::u16string start = u"http://h/%E8%B5%84/update.xml?ts=800";
  ASSERT_EQ(text.substr(0, start.size()), start);
  const std::u16string number = text.substr(start.size());
  EXPECT_FALSE(number.empty());
  EXPECT_EQ(number.find_first_not_of(u"0123456789"), std::u16string::npos);

  // Room for the URL but not for its query: refused whole, never cut.
  const std::u16string full(1016, u'a');  // 1,016 + "?ts=800" + a digit > 1,023
  EXPECT_FALSE(MakeUncachedUrl(full.c_str(), &request));
  EXPECT_EQ(request.Length(), 0);
  EXPECT_FALSE(MakeUncachedUrl(nullptr, &request));
}

}  // namespace
