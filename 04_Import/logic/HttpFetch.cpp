#include "HttpFetch.h"

#include <curl/curl.h>
#include <dlfcn.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <type_traits>

#include "FeedArchive.h"

namespace v42::net {

namespace {

constexpr long kMaxRedirects = 5;
constexpr const char* kCurlLibrary = "libcurl.so.4";

// libcurl is opened at the first download rather than linked: with TLS, Kerberos and LDAP it
// brings some two dozen libraries that every start of the clock would otherwise map.
struct CurlApi {
  CURLcode (*global_init)(long);
  CURL* (*easy_init)();
  void (*easy_cleanup)(CURL*);
  CURLcode (*easy_setopt)(CURL*, CURLoption, ...);
  CURLcode (*easy_perform)(CURL*);
  CURLcode (*easy_getinfo)(CURL*, CURLINFO, ...);
  const char* (*easy_strerror)(CURLcode);
  curl_slist* (*slist_append)(curl_slist*, const char*);
  void (*slist_free_all)(curl_slist*);
};

// The functions, once and for every thread; nullptr when the library cannot be used.
const CurlApi* Curl() {
  static const CurlApi* const api = []() -> const CurlApi* {
    void* handle = dlopen(kCurlLibrary, RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) return nullptr;
    static CurlApi loaded{};
    bool complete = true;
    const auto resolve = [&](auto& slot, const char* name) {
      slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(dlsym(handle, name));
      complete = complete && slot != nullptr;
    };
    resolve(loaded.global_init, "curl_global_init");
    resolve(loaded.easy_init, "curl_easy_init");
    resolve(loaded.easy_cleanup, "curl_easy_cleanup");
    resolve(loaded.easy_setopt, "curl_easy_setopt");
    resolve(loaded.easy_perform, "curl_easy_perform");
    resolve(loaded.easy_getinfo, "curl_easy_getinfo");
    resolve(loaded.easy_strerror, "curl_easy_strerror");
    resolve(loaded.slist_append, "curl_slist_append");
    resolve(loaded.slist_free_all, "curl_slist_free_all");
    if (!complete) return nullptr;
    loaded.global_init(CURL_GLOBAL_DEFAULT);
    return &loaded;
  }();
  return api;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(), [](char p, char t) {
           return std::tolower(static_cast<unsigned char>(t)) == p;
         });
}

struct Transfer {
  const FetchOptions* Options = nullptr;
  std::uint64_t Cap = 0;
  std::uint64_t Received = 0;
  bool TooLarge = false, SinkFailed = false, Canceled = false;
  std::string Body;
  Validators Headers;
};

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
  auto& t = *static_cast<Transfer*>(user);
  const std::size_t bytes = size * count;
  t.Received += bytes;
  if (t.Received > t.Cap) {
    t.TooLarge = true;
    return 0;  // makes curl stop with a write error
  }
  if (t.Options->Sink) {
    if (!t.Options->Sink({data, bytes})) {
      t.SinkFailed = true;
      return 0;
    }
  } else {
    t.Body.append(data, bytes);
  }
  return bytes;
}

std::string Trimmed(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
    text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
    text.remove_suffix(1);
  return std::string(text);
}

// Headers arrive for every response of a redirect chain; only the last one's count.
std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user) {
  auto& t = *static_cast<Transfer*>(user);
  const std::string_view line(data, size * count);
  if (StartsWithNoCase(line, "http/")) {
    t.Headers = {};
  } else if (StartsWithNoCase(line, "etag:")) {
    t.Headers.ETag = Trimmed(line.substr(5));
  } else if (StartsWithNoCase(line, "last-modified:")) {
    t.Headers.LastModified = Trimmed(line.substr(14));
  }
  return size * count;
}

int OnProgress(void* user, curl_off_t total, curl_off_t received, curl_off_t, curl_off_t) {
  auto& t = *static_cast<Transfer*>(user);
  if (!t.Options->Progress) return 0;
  if (t.Options->Progress(static_cast<std::uint64_t>(std::max<curl_off_t>(received, 0)),
                          static_cast<std::uint64_t>(std::max<curl_off_t>(total, 0))))
    return 0;
  t.Canceled = true;
  return 1;
}

std::string ErrorText(const CurlApi& curl, CURLcode code, const std::string& url) {
  switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      return "サーバーが見つかりません(" + url + ")。ネットワークの接続とURLを確かめてください。";
    case CURLE_COULDNT_CONNECT:
    case CURLE_SEND_ERROR:
    case CURLE_RECV_ERROR:
    case CURLE_GOT_NOTHING:
      return "サーバーに接続できません(" + url + ")。ネットワークの接続を確かめてください。";
    case CURLE_OPERATION_TIMEDOUT:
      return "サーバーが時間内に応答しませんでした(" + url + ")。";
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_ISSUER_ERROR:
      return "サーバーの証明書を確かめられないため、接続しませんでした(" + url + ")。";
    case CURLE_SSL_CONNECT_ERROR:
      return "サーバーと安全な接続(TLS)を確立できませんでした(" + url + ")。";
    case CURLE_TOO_MANY_REDIRECTS:
      return "転送(リダイレクト)が多すぎます(" + url + ")。";
    case CURLE_UNSUPPORTED_PROTOCOL:
      return "http か https のURLだけを読めます(" + url + ")。";
    case CURLE_URL_MALFORMAT:
      return "URLが不正です(" + url + ")。";
    default:
      return "ダウンロードできませんでした(" + url + "): " + curl.easy_strerror(code);
  }
}

}  // namespace

bool IsUrl(std::string_view text) {
  return StartsWithNoCase(text, "http://") || StartsWithNoCase(text, "https://");
}

FetchResult Fetch(const std::string& url, const FetchOptions& options) {
  FetchResult result;
  const CurlApi* api = Curl();
  if (api == nullptr) {
    result.Error = std::string("ダウンロードに使うライブラリ ") + kCurlLibrary +
                   " を読み込めません。パッケージ libcurl4 を入れてください。";
    return result;
  }
  if (!IsUrl(url)) {
    result.Error = ErrorText(*api, CURLE_UNSUPPORTED_PROTOCOL, url);
    return result;
  }
  const std::unique_ptr<CURL, void (*)(CURL*)> curl(api->easy_init(), api->easy_cleanup);
  if (!curl) {
    result.Error = "ダウンロードを始められませんでした。";
    return result;
  }
  Transfer t;
  t.Options = &options;
  t.Cap = options.MaxBytes ? options.MaxBytes : gtfs::kMaxFileBytes;

  curl_slist* rawHeaders = nullptr;
  if (!options.Conditional.ETag.empty())
    rawHeaders =
        api->slist_append(rawHeaders, ("If-None-Match: " + options.Conditional.ETag).c_str());
  if (!options.Conditional.LastModified.empty()) {
    rawHeaders = api->slist_append(
        rawHeaders, ("If-Modified-Since: " + options.Conditional.LastModified).c_str());
  }
  const std::unique_ptr<curl_slist, void (*)(curl_slist*)> headers(rawHeaders, api->slist_free_all);
  CURL* c = curl.get();
  api->easy_setopt(c, CURLOPT_URL, url.c_str());
  api->easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
  api->easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  api->easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
  api->easy_setopt(c, CURLOPT_MAXREDIRS, kMaxRedirects);
  api->easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 1L);
  api->easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 2L);
  api->easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, options.ConnectTimeoutMs);
  api->easy_setopt(c, CURLOPT_TIMEOUT_MS, options.TotalTimeoutMs);
  api->easy_setopt(c, CURLOPT_NOSIGNAL, 1L);  // timeouts without SIGALRM: safe on any thread
  api->easy_setopt(c, CURLOPT_USERAGENT, "V42Import");
  api->easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(t.Cap));
  api->easy_setopt(c, CURLOPT_WRITEFUNCTION, OnBody);
  api->easy_setopt(c, CURLOPT_WRITEDATA, &t);
  api->easy_setopt(c, CURLOPT_HEADERFUNCTION, OnHeader);
  api->easy_setopt(c, CURLOPT_HEADERDATA, &t);
  api->easy_setopt(c, CURLOPT_XFERINFOFUNCTION, OnProgress);
  api->easy_setopt(c, CURLOPT_XFERINFODATA, &t);
  api->easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
  if (headers) api->easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());

  const CURLcode code = api->easy_perform(c);
  api->easy_getinfo(c, CURLINFO_RESPONSE_CODE, &result.HttpStatus);
  result.Received = t.Headers;
  if (t.Canceled) {
    result.Result = FetchResult::Outcome::Canceled;
    result.Error = "ダウンロードを中止しました。";
    return result;
  }
  if (t.TooLarge || code == CURLE_FILESIZE_EXCEEDED) {
    result.Error = "ダウンロードが上限(" + std::to_string(t.Cap) +
                   "バイト)を超えたため中止しました(" + url + ")。";
    return result;
  }
  if (t.SinkFailed) {
    result.Error = "ダウンロードしたデータを保存できませんでした(" + url + ")。";
    return result;
  }
  if (code != CURLE_OK) {
    result.Error = ErrorText(*api, code, url);
    return result;
  }
  if (result.HttpStatus == 304) {
    result.Result = FetchResult::Outcome::NotModified;
    return result;
  }
  if (result.HttpStatus < 200 || result.HttpStatus >= 300) {
    result.Error = "サーバーがエラー " + std::to_string(result.HttpStatus) + " を返しました(" +
                   url + ")。URLを確かめてください。";
    return result;
  }
  result.Result = FetchResult::Outcome::Ok;
  result.Body = std::move(t.Body);
  return result;
}

}  // namespace v42::net
