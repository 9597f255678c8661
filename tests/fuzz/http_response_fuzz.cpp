// Response reading fed from arbitrary bytes cut at arbitrary points: the
// result must not depend on how the bytes were split, no body byte may come
// before the headers are complete, and the body never passes its bounds.
// The same bytes also go through the URL rules and the request format. A
// short input can stand for a long one: its second half repeated until the
// header and body caps are passed.
#include <cstdint>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "feed/http_response.h"

namespace {

struct Result {
  ResponseState state;
  std::string body;
  int32_t contentLength;
  bool chunked;
};

Result Run(const std::string& bytes, const std::vector<size_t>& cuts) {
  HttpResponse response;
  Result result;
  bool headersDone = false;
  const BodySink sink = [&](const char* data, size_t count) {
    if (!headersDone || count == 0) std::abort();
    result.body.append(data, count);
  };
  size_t from = 0;
  for (size_t i = 0; i <= cuts.size(); ++i) {
    const size_t end = i < cuts.size() ? cuts[i] : bytes.size();
    while (from < end && (response.state == ResponseState::ReadingHeaders ||
                          response.state == ResponseState::ReadingBody)) {
      const size_t want = NextReceiveSize(response);
      if (want == 0 || want > 1024) std::abort();
      const size_t used = TakeResponseBytes(&response, bytes.data() + from, end - from, sink);
      if (used > end - from) std::abort();
      from += used;
      if (response.state == ResponseState::ReadingBody || response.state == ResponseState::Complete)
        headersDone = true;
      if (used == 0) break;
    }
  }
  if (result.body.size() > kMaxBodyBytes || response.headerBlock.size() > kMaxHeaderBlock)
    std::abort();
  // At the cap nothing more is read, in every body mode.
  if (result.body.size() == kMaxBodyBytes && response.state == ResponseState::ReadingBody &&
      !(response.mode == BodyMode::Chunked && response.chunkStep != ChunkStep::Data))
    std::abort();
  if (response.state == ResponseState::Rejected && !result.body.empty()) std::abort();
  if (headersDone && !response.chunked && response.contentLength >= 0 &&
      result.body.size() > static_cast<size_t>(response.contentLength))
    std::abort();
  result.state = response.state;
  result.contentLength = response.contentLength;
  result.chunked = response.chunked;
  return result;
}

void CheckUrl(const std::string& text) {
  const UrlParts url = SplitUrl(text);
  std::string request;
  if (!FormatRequest(url, &request)) return;
  if (url.host.empty() || request.size() + 1 > url.host.size() + 1024) std::abort();
  if (request.compare(0, 5, "GET /") != 0 || request.find("\r\n\r\n") != request.size() - 4)
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  // First byte: how many cut points follow (two bytes each), and whether
  // the rest is stretched past the caps.
  const size_t cutCount = data[0] % 8;
  const bool stretch = (data[0] & 0x80) != 0;
  size_t at = 1;
  std::vector<uint16_t> raw;
  for (size_t i = 0; i < cutCount && at + 1 < size; ++i, at += 2)
    raw.push_back(uint16_t(data[at] << 8 | data[at + 1]));
  std::string bytes(reinterpret_cast<const char*>(data) + at, size - at);
  if (stretch && bytes.size() >= 2) {
    const std::string half = bytes.substr(bytes.size() / 2);
    while (bytes.size() <= kMaxBodyBytes + kMaxHeaderBlock) bytes += half;
  }
  std::vector<size_t> cuts;
  for (uint16_t r : raw)
    if (!bytes.empty()) cuts.push_back(r % bytes.size());
  std::sort(cuts.begin(), cuts.end());

  const Result whole = Run(bytes, {});
  const Result split = Run(bytes, cuts);
  if (whole.state != split.state || whole.body != split.body) std::abort();
  CheckUrl(bytes);
  return 0;
}
