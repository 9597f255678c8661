#pragma once
// The gateway's one accept loop: it reads request heads from several
// clients at once, each within its bounds and fairly shared among client
// addresses, answers every complete head through the handler (which may
// ask it to wait for an upstream request), answers a bad one with a status
// of its own, and returns once no request has come for the idle time or the
// stop check says so. Failing calls are retried after a pause, never in a
// tight loop.

#include <cstdint>
#include <functional>
#include <optional>

#include "gateway/http_request.h"
#include "gateway/tcp_socket.h"

struct ServeLimits {
  int idleExitSeconds = 900;       // 0: serve for ever
  int requestMilliseconds = 5000;  // for a client to send its whole head
  int answerMilliseconds = 2000;   // a request waiting for the upstream, then 503
  int sendMilliseconds = 2000;
  int maxConnections = 64;  // in all; the oldest unfinished head makes room
  int maxPerAddress = 4;    // from one client address, likewise
};

// The answer, or nothing to be asked again shortly for the same request,
// told how long it has waited so far.
using RequestHandler =
    std::function<std::optional<HttpAnswer>(const HttpRequest& request, int waitedMilliseconds)>;
// Told of every answer sent (status and target, target empty when unread).
using AnswerNotice = std::function<void(int status, const std::string& target)>;
// Asked between waits; true ends the loop (may be empty).
using StopCheck = std::function<bool()>;

void ServeConnections(SocketHandle listener, const ServeLimits& limits,
                      const RequestHandler& handler, const AnswerNotice& notice,
                      const StopCheck& stop = StopCheck());
