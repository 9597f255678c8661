#pragma once
// The OS-free half of the HTTP download: reading the response as it arrives
// in arbitrary pieces.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "feed/http_request.h"

// Ends the line at position: its CR becomes a zero byte and a LF right after
// it is skipped. Gives the start of the next line; a line without CR runs to
// the terminating zero, whose position is given; at that zero, nullptr.
char* TakeLine(char* position);

// Limits of what one response may make the widget store or wait for.
constexpr size_t kMaxHeaderBlock = 8192;
// The feed is a few kilobytes and is loaded whole into memory afterwards; a
// mebibyte is ample and keeps any server from filling the disk. One rule in
// every body mode: the first kMaxBodyBytes are written, nothing after them
// is read, and the body counts as complete but cut short.
constexpr uint32_t kMaxBodyBytes = 1u << 20;
// Chunk size lines are short; extensions past this are not worth waiting for.
constexpr size_t kMaxChunkSizeLine = 256;

enum class ResponseState {
  ReadingHeaders,
  ReadingBody,
  Complete,  // the body is over: all of it, or cut at the cap or at bad framing
  Rejected,  // not an accepted answer: nothing may be written
};

enum class BodyMode { ContentLength, Chunked, UntilSilence };
enum class ChunkStep { SizeLine, Data, DataEnd };

struct HttpResponse {
  ResponseState state = ResponseState::ReadingHeaders;
  // Headers: the block so far, and where the line scan stands.
  std::string headerBlock;
  bool atLineStart = true;
  bool statusLineDone = false;
  bool skipLineFeed = false;  // a CR ended the last line; a LF may follow
  int32_t contentLength = -1;
  bool chunked = false;
  // A status that is not accepted: its headers are still read (for
  // Retry-After), then the answer is Rejected.
  bool refused = false;
  int32_t retryAfterSeconds = 0;  // of a refused answer, in seconds; 0 without one
  // Body.
  BodyMode mode = BodyMode::UntilSilence;
  uint32_t remaining = 0;  // of the body (ContentLength) or of the chunk
  uint32_t written = 0;
  bool cutShort = false;  // ended by the cap or by broken chunk framing
  ChunkStep chunkStep = ChunkStep::SizeLine;
  std::string sizeLine;
};

using BodySink = std::function<void(const char* bytes, size_t count)>;

// Takes bytes in arrival order, handing body bytes to sink. Returns how many
// were used: it stops right after the header block so that the caller can
// create the file before the first body byte, and once the response is
// Complete or Rejected (later bytes belong to no body).
size_t TakeResponseBytes(HttpResponse* response, const char* bytes, size_t count,
                         const BodySink& sink);

// How many bytes the next receive should ask for, and how long it may wait.
size_t NextReceiveSize(const HttpResponse& response);
int ReceiveLimitSeconds(const HttpResponse& response);
