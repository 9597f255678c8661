// libcurl under the gateway's upstream requests (every system but Windows).
#include "gateway/url_fetch.h"

#include <curl/curl.h>

#include <cstdlib>

namespace {

size_t Collect(char* data, size_t size, size_t count, void* context) {
  std::string* body = static_cast<std::string*>(context);
  const size_t bytes = size * count;
  // Returning less than offered makes libcurl stop with an error.
  if (body->size() + bytes > kMaxFetchBytes) return 0;
  body->append(data, bytes);
  return bytes;
}

// Tests trust a certificate authority of their own this way, without
// touching the system's; it replaces the trusted roots, it never loosens
// the check.
const char kCaFileVariable[] = "NIMBREL_CA_FILE";

struct CurlStarted {
  CurlStarted() { curl_global_init(CURL_GLOBAL_DEFAULT); }
  ~CurlStarted() { curl_global_cleanup(); }
};

}  // namespace

FetchResult FetchUrl(const std::string& url, int limitSeconds) {
  static CurlStarted started;
  FetchResult result;
  CURL* curl = curl_easy_init();
  if (!curl) return result;
  const long kMillisecondsPerSecond = 1000;
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, limitSeconds * kMillisecondsPerSecond);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(curl, CURLOPT_ACCEPT_ENCODING, "");  // every encoding libcurl can undo
  curl_easy_setopt(curl, CURLOPT_USERAGENT, "nimbrel-feed");
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, Collect);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &result.body);
  const char* caFile = std::getenv(kCaFileVariable);
  if (caFile && *caFile) curl_easy_setopt(curl, CURLOPT_CAINFO, caFile);
  const CURLcode code = curl_easy_perform(curl);
  curl_off_t readyToSend = 0;
  long answered = 0;
  curl_easy_getinfo(curl, CURLINFO_PRETRANSFER_TIME_T, &readyToSend);
  curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &answered);
  const FetchPhase phase = answered          ? FetchPhase::Answering
                           : readyToSend > 0 ? FetchPhase::Sent
                                             : FetchPhase::Connecting;
  result.failure = FailureOfCurlCode(code, phase);
  if (code == CURLE_OK) {
    long status = 0;
    curl_off_t retryAfter = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    curl_easy_getinfo(curl, CURLINFO_RETRY_AFTER, &retryAfter);
    result.status = static_cast<int>(status);
    result.retryAfterSeconds = static_cast<long long>(retryAfter);
  } else {
    result.body.clear();
  }
  curl_easy_cleanup(curl);
  return result;
}
