// WinHTTP under the gateway's upstream requests on Windows: the user's proxy
// settings and the system's TLS (1.2 or later asked for explicitly; the
// certificate is always checked, HTTPS never falls back to HTTP),
// compressed answers undone by WinHTTP itself.
#include <windows.h>
#include <winhttp.h>

#include "gateway/url_fetch.h"

#include <atomic>
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

// Strings WinHTTP hands out for the caller to free.
void FreeGlobal(LPWSTR text) {
  if (text) GlobalFree(text);
}

// Windows 7 speaks only TLS 1.0 unless asked for more, which current HTTPS
// services refuse. Systems that know neither version (Windows 7 without
// its TLS update) refuse the option and keep their own choice.
void AskForCurrentTls(HINTERNET session) {
  DWORD protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2 | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3;
  if (WinHttpSetOption(session, WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols, sizeof protocols))
    return;
  protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2;
  WinHttpSetOption(session, WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols, sizeof protocols);
}

// Windows 8.1 and later resolve the user's proxy settings (PAC included)
// themselves; `automatic` is false where the session has to be told per
// request (UseUserProxy).
HINTERNET OpenSession(bool& automatic) {
  const wchar_t kAgent[] = L"nimbrel-feed";
  HINTERNET session = WinHttpOpen(kAgent, WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY,
                                  WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
  automatic = session != nullptr;
  if (!session)
    session = WinHttpOpen(kAgent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                          WINHTTP_NO_PROXY_BYPASS, 0);
  if (session) AskForCurrentTls(session);
  return session;
}

// The proxy an auto-config script (PAC) or auto-detection (WPAD) names for
// the URL; false when neither is set or neither answers.
bool SetScriptedProxy(HINTERNET session, HINTERNET request, const std::wstring& url,
                      const WINHTTP_CURRENT_USER_IE_PROXY_CONFIG& user) {
  if (!user.fAutoDetect && !user.lpszAutoConfigUrl) return false;
  WINHTTP_AUTOPROXY_OPTIONS script{};
  if (user.lpszAutoConfigUrl) {
    script.dwFlags |= WINHTTP_AUTOPROXY_CONFIG_URL;
    script.lpszAutoConfigUrl = user.lpszAutoConfigUrl;
  }
  if (user.fAutoDetect) {
    script.dwFlags |= WINHTTP_AUTOPROXY_AUTO_DETECT;
    script.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
  }
  script.fAutoLogonIfChallenged = TRUE;
  WINHTTP_PROXY_INFO proxy{};
  if (!WinHttpGetProxyForUrl(session, url.c_str(), &script, &proxy)) return false;
  const bool set = WinHttpSetOption(request, WINHTTP_OPTION_PROXY, &proxy, sizeof proxy) != FALSE;
  FreeGlobal(proxy.lpszProxy);
  FreeGlobal(proxy.lpszProxyBypass);
  return set;
}

// Before Windows 8.1: the user's own settings as Internet Explorer keeps
// them, the script first, then a fixed proxy; with neither, the session's
// default (the machine's WinHTTP proxy, usually none).
void UseUserProxy(HINTERNET session, HINTERNET request, const std::wstring& url) {
  WINHTTP_CURRENT_USER_IE_PROXY_CONFIG user{};
  if (!WinHttpGetIEProxyConfigForCurrentUser(&user)) return;
  if (!SetScriptedProxy(session, request, url, user) && user.lpszProxy) {
    WINHTTP_PROXY_INFO named{WINHTTP_ACCESS_TYPE_NAMED_PROXY, user.lpszProxy, user.lpszProxyBypass};
    WinHttpSetOption(request, WINHTTP_OPTION_PROXY, &named, sizeof named);
  }
  FreeGlobal(user.lpszAutoConfigUrl);
  FreeGlobal(user.lpszProxy);
  FreeGlobal(user.lpszProxyBypass);
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

// WinHttpSendRequest connects, shakes hands and sends in one call, and some
// systems (Wine) return from it only once the answer begins: the status
// callback tells when the request is out.
void CALLBACK NoteProgress(HINTERNET, DWORD_PTR context, DWORD status, LPVOID, DWORD) {
  if (status == WINHTTP_CALLBACK_STATUS_REQUEST_SENT && context)
    *reinterpret_cast<std::atomic<FetchPhase>*>(context) = FetchPhase::Sent;
}

// Why the request failed: the last error, and how far it had got (a wait
// cut by the deadline counts as a timeout).
FetchResult Failed(FetchPhase phase) {
  FetchResult result;
  const DWORD error = GetLastError();
  result.failure = FailureOfWinHttpError(error ? error : ERROR_WINHTTP_TIMEOUT, phase);
  return result;
}

FetchResult FetchWithWinHttp(const std::string& url, Clock::time_point deadline,
                             std::atomic<FetchPhase>& phase) {
  FetchResult result;
  std::wstring wideUrl = Wide(url);
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (!WinHttpCrackUrl(wideUrl.c_str(), 0, 0, &parts)) return Failed(FetchPhase::Connecting);
  const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
  const std::wstring path = std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength) +
                            std::wstring(parts.lpszExtraInfo, parts.dwExtraInfoLength);

  bool automaticProxy = false;
  Handle session(OpenSession(automaticProxy));
  if (!session) return Failed(FetchPhase::Connecting);
  Handle connection(WinHttpConnect(session.get(), host.c_str(), parts.nPort, 0));
  const DWORD secure = parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0;
  Handle request(connection
                     ? WinHttpOpenRequest(connection.get(), L"GET", path.c_str(), nullptr,
                                          WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES, secure)
                     : nullptr);
  if (!request) return Failed(FetchPhase::Connecting);
  if (!automaticProxy) UseUserProxy(session.get(), request.get(), wideUrl);
  // Older systems refuse the option and get the answer uncompressed.
  DWORD decompress = WINHTTP_DECOMPRESSION_FLAG_ALL;
  WinHttpSetOption(request.get(), WINHTTP_OPTION_DECOMPRESSION, &decompress, sizeof decompress);
  DWORD_PTR context = reinterpret_cast<DWORD_PTR>(&phase);
  WinHttpSetOption(request.get(), WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof context);
  WinHttpSetStatusCallback(request.get(), NoteProgress, WINHTTP_CALLBACK_FLAG_SEND_REQUEST, 0);

  SetLastError(0);
  if (!LimitWaits(request.get(), deadline) ||
      !WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA,
                          0, 0, 0))
    return Failed(phase);
  phase = FetchPhase::Sent;
  DWORD status = 0, size = sizeof status;
  SetLastError(0);
  if (!LimitWaits(request.get(), deadline) || !WinHttpReceiveResponse(request.get(), nullptr) ||
      !WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                           WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX))
    return Failed(FetchPhase::Sent);
  phase = FetchPhase::Answering;
  SetLastError(0);
  if (!ReadBody(request.get(), deadline, result.body)) return Failed(FetchPhase::Answering);
  result.status = static_cast<int>(status);
  result.failure = FetchFailure::None;
  DWORD retryAfter = 0;
  size = sizeof retryAfter;
  // The date form of Retry-After does not read as a number and counts as none.
  if (WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_RETRY_AFTER | WINHTTP_QUERY_FLAG_NUMBER,
                          WINHTTP_HEADER_NAME_BY_INDEX, &retryAfter, &size,
                          WINHTTP_NO_HEADER_INDEX))
    result.retryAfterSeconds = retryAfter;
  return result;
}

// What a fetch thread hands back; shared, as the caller may stop waiting.
struct Outcome {
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;
  std::atomic<FetchPhase> phase{FetchPhase::Connecting};
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
    FetchResult result = FetchWithWinHttp(url, deadline, outcome->phase);
    std::lock_guard<std::mutex> lock(outcome->mutex);
    outcome->result = std::move(result);
    outcome->finished = true;
    outcome->done.notify_one();
  }).detach();
  std::unique_lock<std::mutex> lock(outcome->mutex);
  if (!outcome->done.wait_until(lock, deadline, [&] { return outcome->finished; })) {
    FetchResult late;
    late.failure = FailureOfWinHttpError(ERROR_WINHTTP_TIMEOUT, outcome->phase);
    return late;
  }
  return outcome->result;
}
