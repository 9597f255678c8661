#include "gateway/serve_loop.h"

#include <chrono>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// How often the loop looks at its clocks when nothing arrives.
const int kWaitSliceMilliseconds = 200;
const int kReceiveChunk = 2048;

struct Client {
  SocketHandle socket;
  Clock::time_point opened;
  std::string received;
};

long long MillisecondsBetween(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count();
}

class Loop {
 public:
  Loop(const ServeLimits& limits, const RequestHandler& handler, const AnswerNotice& notice)
      : limits_(limits), handler_(handler), notice_(notice), lastRequest_(Clock::now()) {}

  void Run(SocketHandle listener) {
    while (!Idle()) {
      std::vector<SocketHandle> watched;
      for (const Client& c : clients_) watched.push_back(c.socket);
      const bool accepting = static_cast<int>(clients_.size()) < limits_.maxConnections;
      if (accepting) watched.push_back(listener);
      std::vector<bool> ready;
      if (!WaitReadable(watched, kWaitSliceMilliseconds, ready)) continue;
      // Clients first: their indices match `watched` until one is dropped.
      std::vector<Client> still;
      for (std::size_t i = 0; i < clients_.size(); ++i)
        if (!(ready[i] ? Read(clients_[i]) : Expired(clients_[i]))) still.push_back(clients_[i]);
      clients_.swap(still);
      if (accepting && ready.back()) Accept(listener);
    }
    for (const Client& c : clients_) CloseSocket(c.socket);
  }

 private:
  bool Idle() const {
    return limits_.idleExitSeconds > 0 &&
           MillisecondsBetween(lastRequest_, Clock::now()) >= limits_.idleExitSeconds * 1000LL;
  }

  void Accept(SocketHandle listener) {
    const SocketHandle s = AcceptConnection(listener);
    if (s != kNoSocket) clients_.push_back({s, Clock::now(), std::string()});
  }

  // True when the client is done with (answered or gone).
  bool Read(Client& c) {
    char chunk[kReceiveChunk];
    const int got = ReceiveBytes(c.socket, chunk, sizeof chunk);
    if (got <= 0) {
      CloseSocket(c.socket);
      return true;
    }
    c.received.append(chunk, static_cast<std::size_t>(got));
    HttpRequest request;
    switch (ReadRequestHead(c.received, request)) {
      case RequestState::Incomplete:
        return Expired(c);
      case RequestState::Complete:
        Answer(c, handler_(request), request.target);
        return true;
      case RequestState::Malformed:
        Answer(c, StatusAnswer(400), "");
        return true;
      case RequestState::TooLarge:
        Answer(c, StatusAnswer(431), "");
        return true;
    }
    return true;
  }

  bool Expired(Client& c) {
    if (MillisecondsBetween(c.opened, Clock::now()) < limits_.requestMilliseconds) return false;
    // A silent client is not a request: it does not keep the gateway alive.
    SendBytes(c.socket, AnswerBytes(StatusAnswer(408)), limits_.sendMilliseconds);
    CloseSocket(c.socket);
    return true;
  }

  void Answer(Client& c, const HttpAnswer& answer, const std::string& target) {
    SendBytes(c.socket, AnswerBytes(answer), limits_.sendMilliseconds);
    CloseSocket(c.socket);
    lastRequest_ = Clock::now();
    if (notice_) notice_(answer.status, target);
  }

  const ServeLimits& limits_;
  const RequestHandler& handler_;
  const AnswerNotice& notice_;
  Clock::time_point lastRequest_;
  std::vector<Client> clients_;
};

}  // namespace

void ServeConnections(SocketHandle listener, const ServeLimits& limits,
                      const RequestHandler& handler, const AnswerNotice& notice) {
  Loop(limits, handler, notice).Run(listener);
}
