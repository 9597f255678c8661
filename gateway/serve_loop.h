#pragma once
// The gateway's one accept loop: it reads request heads from several
// clients at once, each within its bounds, answers every complete head
// through the handler, answers a bad one with a status of its own, and
// returns once no request has come for the idle time.

#include <functional>

#include "gateway/http_request.h"
#include "gateway/tcp_socket.h"

struct ServeLimits {
  int idleExitSeconds = 900;       // 0: serve for ever
  int requestMilliseconds = 5000;  // for a client to send its whole head
  int sendMilliseconds = 10000;
  int maxConnections = 16;  // more wait in the listen queue
};

using RequestHandler = std::function<HttpAnswer(const HttpRequest& request)>;
// Told of every answer sent (status and target, target empty when unread).
using AnswerNotice = std::function<void(int status, const std::string& target)>;

void ServeConnections(SocketHandle listener, const ServeLimits& limits,
                      const RequestHandler& handler, const AnswerNotice& notice);
