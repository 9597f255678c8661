#pragma once
// The gateway's side of HTTP/1.x: reading one request head from the bytes a
// client has sent so far, and writing one complete answer. Every answer
// closes the connection, so nothing else of the protocol is needed.

#include <string>

// A request head larger than this is refused: the widget's is about 100 bytes.
constexpr std::string::size_type kMaxRequestBytes = 8192;

enum class RequestState { Incomplete, Complete, Malformed, TooLarge };

struct HttpRequest {
  std::string method;
  std::string target;  // as sent: starts with "/"
};

// Looks at everything received so far. Complete fills `out`; Incomplete asks
// for more bytes; Malformed and TooLarge are final.
RequestState ReadRequestHead(const std::string& received, HttpRequest& out);

struct HttpAnswer {
  int status = 500;
  std::string contentType;
  std::string body;
  long long retryAfterSeconds = 0;  // sent as Retry-After when above 0
};

// Status line, headers (length, type, "Connection: close") and, unless the
// request was a HEAD, the body.
std::string AnswerBytes(const HttpAnswer& answer, bool withBody = true);

// An answer with a one-line plain text body naming the status.
HttpAnswer StatusAnswer(int status);
