#include "gateway/http_request.h"

namespace {

bool IsTokenChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
         std::string("!#$%&'*+-.^_`|~").find(c) != std::string::npos;
}

// Visible ASCII only: no spaces, controls or bytes above 126 in a target.
bool IsTargetChar(char c) {
  return c > ' ' && c < 127;
}

bool IsToken(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text)
    if (!IsTokenChar(c)) return false;
  return true;
}

bool IsTarget(const std::string& text) {
  if (text.empty() || text[0] != '/') return false;
  for (char c : text)
    if (!IsTargetChar(c)) return false;
  return true;
}

bool ReadRequestLine(const std::string& line, HttpRequest& out) {
  const auto first = line.find(' ');
  const auto second = first == std::string::npos ? first : line.find(' ', first + 1);
  if (second == std::string::npos) return false;
  out.method = line.substr(0, first);
  out.target = line.substr(first + 1, second - first - 1);
  const std::string version = line.substr(second + 1);
  return IsToken(out.method) && IsTarget(out.target) &&
         (version == "HTTP/1.1" || version == "HTTP/1.0");
}

// "Name: value"; a line starting with white space would continue the one
// before it, a form nobody needs and that smuggling relies on.
bool IsHeaderLine(const std::string& line) {
  const auto colon = line.find(':');
  if (colon == std::string::npos || !IsToken(line.substr(0, colon))) return false;
  // Unsigned: bytes from 0x80 up (obs-text) are allowed in a value.
  for (unsigned char c : line)
    if ((c < ' ' && c != '\t') || c == 127) return false;
  return true;
}

const char* ReasonOf(int status) {
  switch (status) {
    case 200:
      return "OK";
    case 400:
      return "Bad Request";
    case 404:
      return "Not Found";
    case 405:
      return "Method Not Allowed";
    case 408:
      return "Request Timeout";
    case 431:
      return "Request Header Fields Too Large";
    case 503:
      return "Service Unavailable";
    default:
      return "Internal Server Error";
  }
}

}  // namespace

RequestState ReadRequestHead(const std::string& received, HttpRequest& out) {
  const auto end = received.find("\r\n\r\n");
  if (end == std::string::npos) {
    // A client that never ends its head would keep the connection for ever.
    if (received.size() >= kMaxRequestBytes) return RequestState::TooLarge;
    if (received.find('\0') != std::string::npos) return RequestState::Malformed;
    return RequestState::Incomplete;
  }
  if (end + 4 > kMaxRequestBytes) return RequestState::TooLarge;
  std::string::size_type at = 0;
  bool first = true;
  while (at < end) {
    auto lineEnd = received.find("\r\n", at);
    const std::string line = received.substr(at, lineEnd - at);
    if (first ? !ReadRequestLine(line, out) : !IsHeaderLine(line)) return RequestState::Malformed;
    first = false;
    at = lineEnd + 2;
  }
  return first ? RequestState::Malformed : RequestState::Complete;
}

std::string AnswerBytes(const HttpAnswer& answer, bool withBody) {
  std::string bytes = "HTTP/1.1 " + std::to_string(answer.status) + " " + ReasonOf(answer.status) +
                      "\r\nContent-Length: " + std::to_string(answer.body.size()) + "\r\n";
  if (!answer.contentType.empty()) bytes += "Content-Type: " + answer.contentType + "\r\n";
  if (answer.status == 405) bytes += "Allow: GET, HEAD\r\n";
  if (answer.retryAfterSeconds > 0)
    bytes += "Retry-After: " + std::to_string(answer.retryAfterSeconds) + "\r\n";
  bytes += "Cache-Control: no-store\r\nConnection: close\r\n\r\n";
  return withBody ? bytes + answer.body : bytes;
}

HttpAnswer StatusAnswer(int status) {
  return {status, "text/plain", std::to_string(status) + " " + ReasonOf(status) + "\n"};
}
