// Any bytes as a city code: the feed address built from it must always give
// one request whose first line has exactly two spaces and no line break,
// every byte that could break it escaped, and only the fixed headers.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "feed/feed_address.h"
#include "feed/http_response.h"

namespace {

bool Escaped(unsigned char c) {
  return c <= 0x20 || c >= 0x7F || c == '#';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string code(reinterpret_cast<const char*>(data), size);
  const UrlParts url = SplitUrl(FeedAddress(code));
  if (url.host.empty() || url.pathAndQuery != "xml/" + code + "_1.xml") std::abort();
  std::string request;
  if (!FormatRequest(url, &request)) {
    if (size <= 256) std::abort();  // only a path longer than one block is refused
    return 0;
  }
  const size_t lineEnd = request.find("\r\n");
  const std::string line = request.substr(0, lineEnd);
  size_t spaces = 0;
  for (unsigned char c : line) {
    spaces += c == ' ';
    if (c < 0x20 || c >= 0x7F) std::abort();
  }
  if (spaces != 2 || line.compare(0, 5, "GET /") != 0) std::abort();
  const std::string suffix = " HTTP/1.1";
  if (line.size() < suffix.size() ||
      line.compare(line.size() - suffix.size(), suffix.size(), suffix))
    std::abort();
  // Every byte that needed it became three.
  size_t expected = url.pathAndQuery.size();
  for (unsigned char c : url.pathAndQuery) expected += Escaped(c) ? 2 : 0;
  if (line.size() != 5 + expected + suffix.size()) std::abort();
  const std::string port = url.port == 80 ? "" : ":" + std::to_string(url.port);
  if (request.substr(lineEnd) !=
      "\r\nAccept: */*\r\nHost: " + url.host + port + "\r\nConnection: close\r\n\r\n")
    std::abort();
  return 0;
}
