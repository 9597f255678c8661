// WinHTTP under the gateway's upstream requests on Windows: the system's
// proxy settings and TLS, compressed answers undone by WinHTTP itself.
#include <windows.h>
#include <winhttp.h>

#include "gateway/url_fetch.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

class Handle {
 public:
  explicit Handle(HINTERNET h) : h_(h) {}
  ~Handle() {
    if (h_) WinHttpCloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HINTERNET get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }

 private:
  HINTERNET h_;
};

std::wstring Wide(const std::string& text) {
  std::wstring wide(text.size(), L'\0');
  const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                    &wide[0], static_cast<int>(wide.size()));
  wide.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  return wide;
}

// Windows 8.1 and later resolve the user's proxy settings (PAC included)
// themselves; before that the session takes a fixed proxy the user set.
HINTERNET OpenSession() {
  const wchar_t kAgent[] = L"nimbrel-feed";
  HINTERNET session = WinHttpOpen(kAgent, WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY,
                                  WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
  if (session) return session;
  WINHTTP_CURRENT_USER_IE_PROXY_CONFIG user{};
  const bool named = WinHttpGetIEProxyConfigForCurrentUser(&user) && user.lpszProxy;
  session = WinHttpOpen(
      kAgent, named ? WINHTTP_ACCESS_TYPE_NAMED_PROXY : WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
      named ? user.lpszProxy : WINHTTP_NO_PROXY_NAME,
      named && user.lpszProxyBypass ? user.lpszProxyBypass : WINHTTP_NO_PROXY_BYPASS, 0);
  if (user.lpszAutoConfigUrl) GlobalFree(user.lpszAutoConfigUrl);
  if (user.lpszProxy) GlobalFree(user.lpszProxy);
  if (user.lpszProxyBypass) GlobalFree(user.lpszProxyBypass);
  return session;
}

// Every later wait gets only what is left of the request's limit.
bool LimitWaits(HINTERNET request, Clock::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  if (left <= 0) return false;
  const int ms = static_cast<int>(left);
  return WinHttpSetTimeouts(request, ms, ms, ms, ms) != FALSE;
}

bool ReadBody(HINTERNET request, Clock::time_point deadline, std::string& body) {
  for (;;) {
    DWORD waiting = 0;
    if (!LimitWaits(request, deadline) || !WinHttpQueryDataAvailable(request, &waiting))
      return false;
    if (waiting == 0) return true;
    if (body.size() + waiting > kMaxFetchBytes) return false;
    std::vector<char> piece(waiting);
    DWORD got = 0;
    if (!WinHttpReadData(request, piece.data(), waiting, &got)) return false;
    body.append(piece.data(), got);
  }
}

FetchResult FetchWithWinHttp(const std::string& url, Clock::time_point deadline) {
  FetchResult result;
  std::wstring wideUrl = Wide(url);
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (!WinHttpCrackUrl(wideUrl.c_str(), 0, 0, &parts)) return result;
  const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
  const std::wstring path = std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength) +
                            std::wstring(parts.lpszExtraInfo, parts.dwExtraInfoLength);

  Handle session(OpenSession());
  if (!session) return result;
  Handle connection(WinHttpConnect(session.get(), host.c_str(), parts.nPort, 0));
  const DWORD secure = parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0;
  Handle request(connection
                     ? WinHttpOpenRequest(connection.get(), L"GET", path.c_str(), nullptr,
                                          WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, secure)
                     : nullptr);
  if (!request) return result;
  // Older systems refuse the option and get the answer uncompressed.
  DWORD decompress = WINHTTP_DECOMPRESSION_FLAG_ALL;
  WinHttpSetOption(request.get(), WINHTTP_OPTION_DECOMPRESSION, &decompress, sizeof decompress);

  DWORD status = 0, size = sizeof status;
  if (!LimitWaits(request.get(), deadline) ||
      !WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA,
                          0, 0, 0) ||
      !LimitWaits(request.get(), deadline) || !WinHttpReceiveResponse(request.get(), nullptr) ||
      !WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                           WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX) ||
      !ReadBody(request.get(), deadline, result.body)) {
    result.body.clear();
    return result;
  }
  result.status = static_cast<int>(status);
  return result;
}

// What a fetch thread hands back; shared, as the caller may stop waiting.
struct Outcome {
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;
  FetchResult result;
};

}  // namespace

// WinHTTP's own timeouts bound each wait, not the whole request, and some
// systems stretch them; the request runs on a thread of its own and the
// caller waits for it no longer than the limit. A thread given up on ends
// with its own timeouts and only writes into the outcome it shares.
FetchResult FetchUrl(const std::string& url, int limitSeconds) {
  const Clock::time_point deadline = Clock::now() + std::chrono::seconds(limitSeconds);
  auto outcome = std::make_shared<Outcome>();
  std::thread([outcome, url, deadline] {
    FetchResult result = FetchWithWinHttp(url, deadline);
    std::lock_guard<std::mutex> lock(outcome->mutex);
    outcome->result = std::move(result);
    outcome->finished = true;
    outcome->done.notify_one();
  }).detach();
  std::unique_lock<std::mutex> lock(outcome->mutex);
  if (!outcome->done.wait_until(lock, deadline, [&] { return outcome->finished; }))
    return FetchResult{};
  return outcome->result;
}
