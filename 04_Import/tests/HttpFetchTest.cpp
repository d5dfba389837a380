// Downloads against a server the test starts on 127.0.0.1: what comes back, what is sent on a
// later fetch, and each way a download fails, with its Japanese reason.
#include "HttpFetch.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <chrono>

#include "LoopbackServer.h"
#include "TestFiles.h"

namespace v42 {
namespace {

using net::Fetch;
using net::FetchOptions;
using net::FetchResult;
using Outcome = FetchResult::Outcome;
using test::HttpRequest;
using test::HttpResponse;
using test::LoopbackServer;

HttpResponse Feed(const HttpRequest& request) {
  if (request.Path == "/old") return {302, {{"Location", "/feed.zip"}}, {}};
  if (request.Path == "/loop") return {302, {{"Location", "/loop"}}, {}};
  if (request.Path == "/slow") return {200, {}, {}, true};
  if (request.Path == "/big") return {200, {}, std::string(5000, 'x')};
  if (request.Path != "/feed.zip") return {404, {}, "not here"};
  const auto tag = request.Headers.find("if-none-match");
  if (tag != request.Headers.end() && tag->second == "\"v1\"") return {304, {}, {}};
  return {200, {{"ETag", "\"v1\""}, {"Last-Modified", "Mon, 07 Dec 2026 10:00:00 GMT"}}, "PK-feed"};
}

TEST(HttpFetch, DownloadsThenAsksWhetherItChanged) {
  LoopbackServer server(Feed);
  const FetchResult first = Fetch(server.Url("/feed.zip"), {});
  ASSERT_EQ(first.Result, Outcome::Ok) << first.Error;
  EXPECT_EQ(first.HttpStatus, 200);
  EXPECT_EQ(first.Body, "PK-feed");
  EXPECT_EQ(first.Received, (net::Validators{"\"v1\"", "Mon, 07 Dec 2026 10:00:00 GMT"}));

  FetchOptions again;
  again.Conditional = first.Received;
  const FetchResult second = Fetch(server.Url("/feed.zip"), again);
  EXPECT_EQ(second.Result, Outcome::NotModified);
  EXPECT_EQ(second.Body, "");
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].Headers.count("if-none-match"), 0u);
  EXPECT_EQ(requests[1].Headers.at("if-modified-since"), "Mon, 07 Dec 2026 10:00:00 GMT");
}

TEST(HttpFetch, FollowsARedirectAndKeepsTheLastResponsesValidators) {
  LoopbackServer server(Feed);
  std::string streamed;
  FetchOptions options;
  options.Sink = [&](std::string_view piece) {
    streamed += piece;
    return true;
  };
  const FetchResult result = Fetch(server.Url("/old"), options);
  ASSERT_EQ(result.Result, Outcome::Ok) << result.Error;
  EXPECT_EQ(streamed, "PK-feed");
  EXPECT_EQ(result.Body, "");  // streamed, not kept
  EXPECT_EQ(result.Received.ETag, "\"v1\"");
}

TEST(HttpFetch, FailuresSayWhyInJapanese) {
  LoopbackServer server(Feed);
  int closedPort = 0;
  {
    LoopbackServer gone(Feed);
    closedPort = gone.Port();
  }
  struct Case {
    std::string Url;
    std::uint64_t MaxBytes;
    std::string Reason;
  } cases[] = {
      {server.Url("/missing.zip"), 0, "エラー 404"},
      {server.Url("/loop"), 0, "多すぎます"},
      {server.Url("/big"), 1000, "上限(1000バイト)を超えた"},
      {server.Url("/slow"), 0, "時間内に応答しませんでした"},
      {"http://127.0.0.1:" + std::to_string(closedPort) + "/", 0, "接続できません"},
      {"ftp://127.0.0.1/feed.zip", 0, "http か https"},
  };
  for (const Case& c : cases) {
    FetchOptions options;
    options.MaxBytes = c.MaxBytes;
    options.TotalTimeoutMs = 500;
    const FetchResult result = Fetch(c.Url, options);
    EXPECT_EQ(result.Result, Outcome::Failed) << c.Url;
    EXPECT_NE(result.Error.find(c.Reason), std::string::npos) << c.Url << ": " << result.Error;
    EXPECT_EQ(result.Body, "") << c.Url;
  }
}

TEST(HttpFetch, ProgressCanCancel) {
  LoopbackServer server(Feed);
  FetchOptions options;
  options.Progress = [](std::uint64_t, std::uint64_t) { return false; };
  EXPECT_EQ(Fetch(server.Url("/big"), options).Result, Outcome::Canceled);
}

// An HTTPS server whose certificate nobody vouches for: openssl's own test server.
TEST(HttpFetch, RefusesASelfSignedCertificate) {
  test::TempFolder dir;
  const std::string key = (dir / "key.pem").string(), cert = (dir / "cert.pem").string();
  const std::string make =
      "openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=127.0.0.1"
      " -addext subjectAltName=IP:127.0.0.1 -keyout '" +
      key + "' -out '" + cert + "' >/dev/null 2>&1";
  ASSERT_EQ(std::system(make.c_str()), 0);
  int port = 0;
  {
    LoopbackServer probe([](const HttpRequest&) { return HttpResponse{}; });
    port = probe.Port();  // free a moment ago; openssl takes it over
  }
  const pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    const std::string accept = "127.0.0.1:" + std::to_string(port);
    freopen("/dev/null", "w", stdout);
    freopen("/dev/null", "w", stderr);
    execlp("openssl", "openssl", "s_server", "-accept", accept.c_str(), "-cert", cert.c_str(),
           "-key", key.c_str(), "-www", "-quiet", static_cast<char*>(nullptr));
    _exit(127);
  }
  const std::string url = "https://127.0.0.1:" + std::to_string(port) + "/";
  FetchResult result;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  do {  // until openssl listens, a connection is refused
    result = Fetch(url, {});
  } while (result.Error.find("接続できません") != std::string::npos &&
           std::chrono::steady_clock::now() < deadline);
  kill(pid, SIGTERM);
  waitpid(pid, nullptr, 0);
  EXPECT_EQ(result.Result, Outcome::Failed);
  EXPECT_NE(result.Error.find("証明書"), std::string::npos) << result.Error;
}

TEST(HttpFetch, IsUrl) {
  EXPECT_TRUE(net::IsUrl("http://127.0.0.1/feed.zip"));
  EXPECT_TRUE(net::IsUrl("HTTPS://127.0.0.1/feed.zip"));
  EXPECT_FALSE(net::IsUrl("/home/u/http://127.0.0.1"));
  EXPECT_FALSE(net::IsUrl("ftp://127.0.0.1/feed.zip"));
  EXPECT_FALSE(net::IsUrl("http:/127.0.0.1"));
}

}  // namespace
}  // namespace v42
