#include "gateway/fetch_failure.h"

namespace {

// libcurl's codes (curl/curl.h); this file is built where libcurl is not.
const int kCurlOk = 0;
const int kCurlGotNothing = 52;
const int kCurlSendError = 55;
const int kCurlReceiveError = 56;

// WinHTTP's errors (winhttp.h).
const unsigned long kWinHttpConnectionError = 12030;
const unsigned long kWinHttpInvalidServerResponse = 12152;  // closed with no answer too
// Some WinHTTPs (Wine's) hand on the socket's own error.
const unsigned long kSocketConnectionAborted = 10053;
const unsigned long kSocketConnectionReset = 10054;

// The service answers every request it took, if only with a status: a
// connection reset or closed without a word comes from something between
// (a firewall, a portal, a link going down), whenever it comes.
FetchFailure AfterSending(bool resetOrClosed) {
  return resetOrClosed ? FetchFailure::Unreached : FetchFailure::ServiceSide;
}

}  // namespace

FetchFailure FailureOfCurlCode(int code, FetchPhase phase) {
  if (code == kCurlOk) return FetchFailure::None;
  switch (phase) {
    case FetchPhase::Connecting:
      return FetchFailure::Unreached;
    case FetchPhase::Sent:
      return AfterSending(code == kCurlGotNothing || code == kCurlSendError ||
                          code == kCurlReceiveError);
    case FetchPhase::Answering:
      break;
  }
  return FetchFailure::ServiceSide;
}

FetchFailure FailureOfWinHttpError(unsigned long error, FetchPhase phase) {
  switch (phase) {
    case FetchPhase::Connecting:
      return FetchFailure::Unreached;
    case FetchPhase::Sent:
      return AfterSending(error == kWinHttpConnectionError ||
                          error == kWinHttpInvalidServerResponse ||
                          error == kSocketConnectionAborted || error == kSocketConnectionReset);
    case FetchPhase::Answering:
      break;
  }
  return FetchFailure::ServiceSide;
}
