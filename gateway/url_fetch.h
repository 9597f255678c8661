#pragma once
// The gateway's one way out: a GET of a URL, whole answer in memory, every
// wait bounded. WinHTTP on Windows (the system's proxy settings, compressed
// answers), libcurl elsewhere; only these two ever speak TLS.

#include <string>

#include "gateway/fetch_failure.h"

// The upstream's own limit per request, unless an operator says otherwise.
constexpr int kFetchLimitSeconds = 10;
// A forecast of three days is about 20 kB; anything far larger is not one.
constexpr std::string::size_type kMaxFetchBytes = 4 * 1024 * 1024;

struct FetchResult {
  int status = 0;  // the HTTP status; 0 when no complete answer came in time
  std::string body;
  long long retryAfterSeconds = 0;                   // the answer's Retry-After, 0 without one
  FetchFailure failure = FetchFailure::ServiceSide;  // None once an answer came
};

FetchResult FetchUrl(const std::string& url, int limitSeconds);
