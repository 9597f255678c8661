#include "feed/http_request.h"

#include <algorithm>
#include <climits>

namespace {

// The request without its three variable parts, and the room one block
// leaves for the path and the port suffix.
constexpr size_t kFixedRequestBytes = 58;
constexpr size_t kMaxPathAndPort = kBlockSize - kFixedRequestBytes - 1;

bool IsCSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool HasControlByte(const std::string& text) {
  for (unsigned char c : text)
    if (c < 0x20 || c == 0x7F) return true;
  return false;
}

// Bytes that would end the request target or the request line, or that the
// server would take as a fragment, go out as %XX.
bool NeedsEscape(unsigned char c) {
  return c <= 0x20 || c >= 0x7F || c == '#';
}

std::string EscapeRequestTarget(const std::string& path) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(path.size());
  for (unsigned char c : path) {
    if (!NeedsEscape(c)) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    out.push_back('%');
    out.push_back(kHex[c >> 4]);
    out.push_back(kHex[c & 0x0F]);
  }
  return out;
}

}  // namespace

int32_t ParseDecimal(const char* text, const char* end) {
  while (text < end && IsCSpace(*text)) ++text;
  bool negative = false;
  if (text < end && (*text == '+' || *text == '-')) negative = *text++ == '-';
  int64_t value = 0;
  for (; text < end && IsDigit(*text); ++text) {
    value = value * 10 + (*text - '0');
    if (value > int64_t{INT32_MAX} + 1) value = int64_t{INT32_MAX} + 1;
  }
  if (negative) return static_cast<int32_t>(-value);
  return static_cast<int32_t>(std::min<int64_t>(value, INT32_MAX));
}

UrlParts SplitUrl(const std::string& url) {
  UrlParts parts;
  const size_t scheme = url.find("://");
  if (scheme == std::string::npos) return parts;
  size_t start = scheme + 3;
  const size_t slash = url.find('/', start);
  const size_t authorityEnd = slash == std::string::npos ? url.size() : slash;
  // Only an '@' before the path separates user information from the host.
  const size_t at = url.find('@', start);
  if (at != std::string::npos && at < authorityEnd) start = at + 1;
  size_t hostEnd = url.find_first_of(":/", start);
  if (hostEnd == std::string::npos) hostEnd = url.size();
  parts.host = url.substr(start, hostEnd - start);
  if (parts.host.empty()) return parts;
  if (hostEnd < url.size() && url[hostEnd] == ':') {
    const size_t portEnd = url.find('/', hostEnd + 1);
    const char* text = url.data() + hostEnd + 1;
    const char* end = url.data() + (portEnd == std::string::npos ? url.size() : portEnd);
    parts.port = static_cast<uint16_t>(static_cast<uint32_t>(ParseDecimal(text, end)));
  }
  if (slash != std::string::npos) parts.pathAndQuery = url.substr(slash + 1);
  return parts;
}

bool FormatRequest(const UrlParts& url, std::string* request) {
  request->clear();
  if (url.host.empty() || HasControlByte(url.host)) return false;
  const std::string target = EscapeRequestTarget(url.pathAndQuery);
  const std::string portSuffix = url.port == 80 ? std::string() : ":" + std::to_string(url.port);
  if (target.size() + portSuffix.size() > kMaxPathAndPort) return false;
  *request = "GET /" + target + " HTTP/1.1\r\nAccept: */*\r\nHost: " + url.host + portSuffix +
             "\r\nConnection: close\r\n\r\n";
  return true;
}
