#pragma once
// The request the widget sends: taking its URL apart and formatting the
// bytes of the one GET.

#include <cstddef>
#include <cstdint>
#include <string>

// One block of the exchange: the request with its terminating zero must fit
// into host length + one block, and the response is read a block at a time.
constexpr size_t kBlockSize = 1024;

struct UrlParts {
  std::string host;  // empty: the URL names no host
  uint16_t port = 80;
  std::string pathAndQuery;  // after the first '/' of the address, unchanged
};

// "scheme://[user@]host[:port][/pathAndQuery]"; without "://" or with an
// empty host there is no host. The port is read like a C decimal
// conversion and cut to 16 bits.
UrlParts SplitUrl(const std::string& url);

// The bytes of the one request the widget sends. Path bytes up to the space,
// from 0x7F up, and '#' go out as '%' and two upper-case hex digits, so any
// city code makes one well-formed request line. False (and nothing to send)
// when the URL has no host, a host with control bytes, or a path (once
// escaped) and port suffix too long for one block.
bool FormatRequest(const UrlParts& url, std::string* request);

// Like strtol with a 32-bit long: blanks, a sign, digits up to the first
// other byte; no digits give 0, values out of range saturate.
int32_t ParseDecimal(const char* text, const char* end);
