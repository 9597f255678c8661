#pragma once
// Why an upstream request got no answer, told apart once for both
// transports: a request that never reached the service (no route, no name,
// refused, reset, a connect or TLS handshake that did not complete: a PC
// whose network is not up yet, a captive portal) says nothing about the
// service and costs it nothing; one the service took and then failed does.

enum class FetchFailure {
  None,        // an HTTP answer came (whatever its status)
  Unreached,   // the service never had the request
  ServiceSide  // the service had it, and no complete answer came
};

// How far the request had got when it failed.
enum class FetchPhase {
  Connecting,  // name, connect, proxy, TLS handshake
  Sent,        // the request is out; no answer head yet
  Answering    // the answer's head came; its body did not (all of it)
};

// libcurl's CURLcode.
FetchFailure FailureOfCurlCode(int code, FetchPhase phase);

// A WinHTTP error (GetLastError after the call that failed).
FetchFailure FailureOfWinHttpError(unsigned long error, FetchPhase phase);
