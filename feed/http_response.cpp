#include "feed/http_response.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>
#include <vector>

namespace {

bool IsCSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

bool EqualNoCase(const char* text, size_t length, const char* word) {
  for (size_t i = 0; i < length; ++i, ++word)
    if (*word == '\0' || std::tolower(static_cast<unsigned char>(text[i])) != *word) return false;
  return *word == '\0';
}

// The header value is a comma-separated list of codings, each possibly with
// parameters after ';': chunked must be one whole coding, in any letter case.
bool ListsChunked(const char* value) {
  while (*value) {
    while (IsBlank(*value) || *value == ',') ++value;
    const char* start = value;
    while (*value && *value != ',' && *value != ';' && !IsBlank(*value)) ++value;
    if (EqualNoCase(start, static_cast<size_t>(value - start), "chunked")) return true;
    while (*value && *value != ',') ++value;
  }
  return false;
}

bool StartsWithNoCase(const char* line, const char* prefix) {
  for (; *prefix; ++line, ++prefix)
    if (std::tolower(static_cast<unsigned char>(*line)) != *prefix) return false;
  return true;
}

void EndBody(HttpResponse* r, bool cutShort) {
  r->state = ResponseState::Complete;
  r->cutShort = cutShort;
}

// A chunk size like a C "%x" conversion, but a sign other than '+' or a line
// without hex digits is broken framing rather than garbage read as a size.
bool ParseChunkSize(const std::string& line, uint64_t* size) {
  size_t at = 0;
  while (at < line.size() && IsCSpace(line[at])) ++at;
  if (at < line.size() && line[at] == '-') return false;
  if (at < line.size() && line[at] == '+') ++at;
  if (at + 2 < line.size() && line[at] == '0' && (line[at + 1] == 'x' || line[at + 1] == 'X') &&
      HexValue(line[at + 2]) >= 0)
    at += 2;
  if (at >= line.size() || HexValue(line[at]) < 0) return false;
  uint64_t value = 0;
  for (; at < line.size() && HexValue(line[at]) >= 0; ++at) {
    value = value * 16 + static_cast<uint64_t>(HexValue(line[at]));
    if (value > kMaxBodyBytes) value = uint64_t{kMaxBodyBytes} + 1;  // more than may ever be kept
  }
  *size = value;
  return true;
}

void ReadHeaderLines(HttpResponse* r) {
  std::vector<char> text(r->headerBlock.begin(), r->headerBlock.end());
  text.push_back('\0');
  char* line = TakeLine(text.data());  // past the status line
  while (line) {
    char* next = TakeLine(line);
    if (*line == '\0') break;  // the empty line
    if (StartsWithNoCase(line, "transfer-encoding:")) {
      r->chunked = ListsChunked(line + std::strlen("transfer-encoding:"));
    } else if (StartsWithNoCase(line, "content-length:")) {
      // Blanks after the colon are optional: read from the colon on.
      const char* value = line + 15;
      r->contentLength = ParseDecimal(value, value + std::strlen(value));
    } else if (StartsWithNoCase(line, "retry-after:")) {
      // Only the seconds form; a date reads as 0, as none.
      const char* value = line + std::strlen("retry-after:");
      r->retryAfterSeconds = std::max<int32_t>(ParseDecimal(value, value + std::strlen(value)), 0);
    }
    line = next;
  }
}

void ChooseBodyMode(HttpResponse* r) {
  r->state = ResponseState::ReadingBody;
  if (r->chunked) {  // a chunked coding wins over any length, as HTTP/1.1 requires
    r->mode = BodyMode::Chunked;
    r->chunkStep = ChunkStep::SizeLine;
    return;
  }
  if (r->contentLength == -1) {
    r->mode = BodyMode::UntilSilence;
    return;
  }
  if (r->contentLength < 0) {  // broken framing, unlike a missing length
    r->state = ResponseState::Rejected;
    return;
  }
  r->mode = BodyMode::ContentLength;
  // The cap cuts a body announced longer like any other body.
  r->remaining = std::min<uint32_t>(static_cast<uint32_t>(r->contentLength), kMaxBodyBytes);
  if (r->remaining == 0) EndBody(r, false);
}

// Only the code field decides: the token after the first space. A "200"
// in the reason phrase or inside another number accepts nothing.
bool StatusAccepted(const std::string& statusLine) {
  const size_t space = statusLine.find(' ');
  if (space == std::string::npos) return false;
  const size_t start = space + 1;
  const size_t end = statusLine.find(' ', start);
  const std::string code =
      statusLine.substr(start, end == std::string::npos ? std::string::npos : end - start);
  return code == "200" || code == "302";
}

size_t TakeHeaderBytes(HttpResponse* r, const char* bytes, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    const char c = bytes[i];
    // The cap counts every byte kept, the LF after a CR too.
    if (r->headerBlock.size() >= kMaxHeaderBlock) {
      r->state = ResponseState::Rejected;
      return i + 1;
    }
    if (r->skipLineFeed) {
      r->skipLineFeed = false;
      if (c == '\n') {
        r->headerBlock.push_back(c);
        continue;
      }
    }
    // A zero byte would end the text that the lines are read from early.
    if (c == '\0') {
      r->state = ResponseState::Rejected;
      return i + 1;
    }
    r->headerBlock.push_back(c);
    if (c != '\r') {
      r->atLineStart = false;
      continue;
    }
    if (!r->statusLineDone) {
      r->statusLineDone = true;
      r->refused = !StatusAccepted(r->headerBlock.substr(0, r->headerBlock.size() - 1));
    } else if (r->atLineStart) {
      ReadHeaderLines(r);
      if (r->refused) {
        r->state = ResponseState::Rejected;
        return i + 1;
      }
      ChooseBodyMode(r);
      r->skipLineFeed = true;  // the LF of the empty line may come later
      return i + 1;
    }
    r->atLineStart = true;
    r->skipLineFeed = true;
  }
  return count;
}

size_t Deliver(HttpResponse* r, const char* bytes, size_t count, const BodySink& sink) {
  if (count > 0) sink(bytes, count);
  r->written += static_cast<uint32_t>(count);
  return count;
}

size_t TakeChunkBytes(HttpResponse* r, const char* bytes, size_t count, const BodySink& sink) {
  switch (r->chunkStep) {
    case ChunkStep::SizeLine:
      for (size_t i = 0; i < count; ++i) {
        if (bytes[i] != '\n') {
          r->sizeLine.push_back(bytes[i]);
          if (r->sizeLine.size() > kMaxChunkSizeLine) {
            EndBody(r, true);
            return i + 1;
          }
          continue;
        }
        if (!r->sizeLine.empty() && r->sizeLine.back() == '\r') r->sizeLine.pop_back();
        uint64_t size = 0;
        const bool valid = ParseChunkSize(r->sizeLine, &size);
        r->sizeLine.clear();
        if (!valid) {
          EndBody(r, true);
        } else if (size == 0) {
          EndBody(r, false);  // trailers are not read
        } else if (r->written >= kMaxBodyBytes) {
          EndBody(r, true);
        } else {
          r->remaining = static_cast<uint32_t>(size);
          r->chunkStep = ChunkStep::Data;
        }
        return i + 1;
      }
      return count;
    case ChunkStep::Data: {
      if (r->written >= kMaxBodyBytes) {
        EndBody(r, true);
        return 0;
      }
      const size_t take = std::min<size_t>({count, r->remaining, kMaxBodyBytes - r->written});
      Deliver(r, bytes, take, sink);
      r->remaining -= static_cast<uint32_t>(take);
      if (r->remaining == 0) {
        r->chunkStep = ChunkStep::DataEnd;
        r->skipLineFeed = false;
      } else if (r->written >= kMaxBodyBytes) {
        EndBody(r, true);
      }
      return take;
    }
    case ChunkStep::DataEnd:
      // Exactly CR LF (or a bare LF) must follow the data; anything else
      // means the sizes do not describe the stream and no more is trusted.
      if (bytes[0] == '\r' && !r->skipLineFeed) {
        r->skipLineFeed = true;
        return 1;
      }
      if (bytes[0] == '\n') {
        r->skipLineFeed = false;
        r->chunkStep = ChunkStep::SizeLine;
        return 1;
      }
      EndBody(r, true);
      return 0;
  }
  return 0;
}

size_t TakeBodyBytes(HttpResponse* r, const char* bytes, size_t count, const BodySink& sink) {
  if (r->skipLineFeed && !(r->mode == BodyMode::Chunked && r->chunkStep == ChunkStep::DataEnd)) {
    r->skipLineFeed = false;
    if (bytes[0] == '\n') return 1;
  }
  switch (r->mode) {
    case BodyMode::ContentLength: {
      // Bytes beyond the announced length are dropped.
      const size_t take = Deliver(r, bytes, std::min<size_t>(count, r->remaining), sink);
      r->remaining -= static_cast<uint32_t>(take);
      if (r->remaining == 0) EndBody(r, r->written < static_cast<uint32_t>(r->contentLength));
      return take;
    }
    case BodyMode::Chunked:
      return TakeChunkBytes(r, bytes, count, sink);
    case BodyMode::UntilSilence: {
      const size_t take =
          Deliver(r, bytes, std::min<size_t>(count, kMaxBodyBytes - r->written), sink);
      if (r->written >= kMaxBodyBytes) EndBody(r, true);
      return take;
    }
  }
  return 0;
}

}  // namespace

char* TakeLine(char* position) {
  if (!position || *position == '\0') return nullptr;
  while (*position != '\0' && *position != '\r') ++position;
  if (*position == '\r') {
    *position++ = '\0';
    if (*position == '\n') ++position;
  }
  return position;
}

size_t TakeResponseBytes(HttpResponse* r, const char* bytes, size_t count, const BodySink& sink) {
  size_t used = 0;
  while (used < count) {
    if (r->state == ResponseState::ReadingHeaders) {
      used += TakeHeaderBytes(r, bytes + used, count - used);
      return used;  // the caller creates the file before any body byte
    }
    if (r->state != ResponseState::ReadingBody) break;
    used += TakeBodyBytes(r, bytes + used, count - used, sink);
  }
  return used;
}

size_t NextReceiveSize(const HttpResponse& r) {
  if (r.state == ResponseState::ReadingHeaders) return kBlockSize;
  if (r.state != ResponseState::ReadingBody) return 0;
  switch (r.mode) {
    case BodyMode::ContentLength:
      return std::max<size_t>(1, std::min<size_t>(kBlockSize, r.remaining));
    case BodyMode::Chunked:
      // Framing comes in small pieces so that little data is read ahead.
      if (r.chunkStep != ChunkStep::Data) return 16;
      return std::max<size_t>(1, std::min<size_t>(kBlockSize, r.remaining));
    case BodyMode::UntilSilence:
      return std::max<size_t>(1, std::min<size_t>(kBlockSize, kMaxBodyBytes - r.written));
  }
  return kBlockSize;
}

int ReceiveLimitSeconds(const HttpResponse& r) {
  const bool silenceEnds =
      r.state == ResponseState::ReadingBody && r.mode == BodyMode::UntilSilence;
  return silenceEnds ? 1 : 10;
}
