#include "setup/bounded_http_get.h"

#include <gtest/gtest.h>

#include "fakes/fake_clock.h"
#include "fakes/fake_network.h"

namespace tovex {
namespace {

using fakes::FakeHttpAnswer;

constexpr HttpBounds kBounds{20000, 1024 * 1024, 5};
constexpr char kUrl[] = "http://127.0.0.1:8080/products.xml";

struct Server {
  fakes::FakeClock clock;
  fakes::FakeNetwork network{clock};
  HttpDownload Get(const std::string& url = kUrl) { return BoundedHttpGet(network, clock, url, kBounds); }
};

FakeHttpAnswer Redirect(uint32_t status, const std::string& location) {
  FakeHttpAnswer answer;
  answer.status = status;
  answer.location = location;
  return answer;
}

TEST(BoundedHttpGet, EveryBoundEndsTheDownloadInTime) {
  struct Case {
    const char* name;
    FakeHttpAnswer answer;
    const char* failure;  // the start of the reason given
    uint64_t elapsedMs;   // on the virtual clock when it gave up
  };
  FakeHttpAnswer drip;  // one byte every 2 seconds, for longer than the deadline
  drip.body = std::string(100, 'x');
  drip.partSize = 1;
  drip.partEveryMs = 2000;
  FakeHttpAnswer endless;  // streams without end, as fast as it can
  endless.body = "<products>";
  endless.endless = true;
  FakeHttpAnswer huge;  // declares 2 GiB and begins to send it
  huge.contentLength = "2147483648";
  huge.body = "<products>";
  huge.endless = true;
  FakeHttpAnswer beyondAnyNumber = huge;
  beyondAnyNumber.contentLength = "184467440737095516160000";
  FakeHttpAnswer silent;  // accepts and never answers
  silent.headersAfterMs = 3600 * 1000;
  FakeHttpAnswer justTooLarge;
  justTooLarge.body = std::string(kBounds.maxBytes + 1, 'x');
  FakeHttpAnswer notFound;
  notFound.status = 404;
  const Case cases[] = {
      {"drip", drip, "no whole answer within 20 seconds", 20000},
      {"endless stream", endless, "the document at http://127.0.0.1:8080/products.xml is larger than 1048576 bytes", 0},
      {"2 GiB declared", huge, "the document at", 0},
      {"a length beyond any number", beyondAnyNumber, "the document at", 0},
      {"accepts and never answers", silent, "no whole answer within 20 seconds", 20000},
      {"one byte over the cap", justTooLarge, "the document at", 0},
      {"not found", notFound, "http://127.0.0.1:8080/products.xml answered 404", 0},
      {"redirect loop", Redirect(302, kUrl), "more than 5 redirections", 0},
      {"redirect without a Location", Redirect(301, ""), "a redirection from", 0},
      {"redirect to another scheme", Redirect(302, "file:///C:/windows/win.ini"), "a redirection from", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Server server;
    server.network.answers[kUrl] = c.answer;
    const HttpDownload download = server.Get();
    EXPECT_FALSE(download.body);
    EXPECT_EQ(download.failure.rfind(c.failure, 0), 0u) << download.failure;
    EXPECT_EQ(download.error, 0u);
    EXPECT_EQ(server.clock.ElapsedMs(), c.elapsedMs);
  }
}

TEST(BoundedHttpGet, RedirectionsAreFollowedUpToFive) {
  Server server;
  // Five redirections, absolute, scheme-relative, host-relative and relative.
  server.network.answers[kUrl] = Redirect(301, "http://127.0.0.1:8080/a/one");
  server.network.answers["http://127.0.0.1:8080/a/one"] = Redirect(302, "//127.0.0.1:8080/b/two?x=1");
  server.network.answers["http://127.0.0.1:8080/b/two?x=1"] = Redirect(302, "/c/three");
  server.network.answers["http://127.0.0.1:8080/c/three"] = Redirect(302, "four");
  server.network.answers["http://127.0.0.1:8080/c/four"] = Redirect(302, "../five");
  server.network.Serve("http://127.0.0.1:8080/c/../five", "<products/>");
  HttpDownload download = server.Get();
  ASSERT_TRUE(download.body) << download.failure;
  EXPECT_EQ(*download.body, "<products/>");
  EXPECT_EQ(server.network.requests.size(), 6u);

  // A sixth is one too many, and the sixth address is never asked for.
  server.network.answers["http://127.0.0.1:8080/c/../five"] = Redirect(302, "/six");
  server.network.Serve("http://127.0.0.1:8080/six", "<products/>");
  server.network.requests.clear();
  download = server.Get();
  EXPECT_FALSE(download.body);
  EXPECT_EQ(download.failure, "more than 5 redirections, the last to http://127.0.0.1:8080/c/../five");
  EXPECT_EQ(server.network.requests.size(), 6u);
}

TEST(BoundedHttpGet, OneDeadlineCoversRedirectionsAndBody) {
  Server server;
  // Each server is slow but within any single wait; together they are not.
  FakeHttpAnswer slowRedirect = Redirect(302, "/next");
  slowRedirect.headersAfterMs = 8000;
  FakeHttpAnswer slowBody;
  slowBody.headersAfterMs = 8000;
  slowBody.body = "<products>....</products>";
  slowBody.partSize = 5;
  slowBody.partEveryMs = 1500;
  server.network.answers[kUrl] = slowRedirect;
  server.network.answers["http://127.0.0.1:8080/next"] = slowBody;
  const HttpDownload download = server.Get();
  EXPECT_FALSE(download.body);
  EXPECT_EQ(download.failure, "no whole answer within 20 seconds");
  EXPECT_EQ(server.clock.ElapsedMs(), 20000u);
}

TEST(BoundedHttpGet, AnswersWithinTheBoundsComeBackWhole) {
  Server server;
  FakeHttpAnswer slowButInTime;
  slowButInTime.body = std::string(kBounds.maxBytes, 'x');  // exactly the cap
  slowButInTime.contentLength = std::to_string(kBounds.maxBytes);
  slowButInTime.partSize = 16384;
  slowButInTime.partEveryMs = 250;
  server.network.answers[kUrl] = slowButInTime;
  const HttpDownload download = server.Get();
  ASSERT_TRUE(download.body) << download.failure;
  EXPECT_EQ(download.body->size(), kBounds.maxBytes);
  EXPECT_EQ(server.clock.ElapsedMs(), 16000u);  // 64 parts

  // A network failure keeps the system's code.
  const HttpDownload unreachable = server.Get("http://127.0.0.1:1/products.xml");
  EXPECT_FALSE(unreachable.body);
  EXPECT_EQ(unreachable.error, fakes::FakeNetwork::kCannotConnect);
  EXPECT_EQ(unreachable.failure, "requesting http://127.0.0.1:1/products.xml");
}

TEST(ResolveLocation, EveryFormOfAddress) {
  struct Case {
    const char* base;
    const char* location;
    std::optional<std::string> resolved;
  };
  const Case cases[] = {
      {"http://a/x/y.xml", "https://b/z", "https://b/z"},
      {"http://a/x/y.xml", "HTTP://b/z", "HTTP://b/z"},
      {"https://u:p@a:81/x/y.xml", "//b/z", "https://b/z"},
      {"https://u:p@a:81/x/y.xml", "/z?q", "https://u:p@a:81/z?q"},
      {"http://a/x/y.xml?q=/w", "z.xml", "http://a/x/z.xml"},
      {"http://a", "z.xml", "http://a/z.xml"},
      {"http://a?q", "/z", "http://a/z"},
      {"http://a/x", " /z ", "http://a/z"},
      {"http://a/x", "", std::nullopt},
      {"http://a/x", "ftp://b/z", std::nullopt},
      {"http://a/x", "file:///C:/z", std::nullopt},
      {"http://a/x", "javascript:alert(1)", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.base) + " + " + c.location);
    EXPECT_EQ(ResolveLocation(c.base, c.location), c.resolved);
  }
}

}  // namespace
}  // namespace tovex
