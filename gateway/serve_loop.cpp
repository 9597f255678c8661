#include "gateway/serve_loop.h"

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// How often the loop looks at its clocks when nothing arrives, and while a
// request waits for the upstream.
const int kWaitSliceMilliseconds = 200;
const int kWaitingSliceMilliseconds = 20;
const int kReceiveChunk = 2048;
// Taken from the listen queue per turn, so a flood cannot starve the reads.
const int kAcceptsPerTurn = 32;
// After a failing call: the first pause, doubled up to the longest.
const int kFirstPauseMilliseconds = 100;
const int kLongestPauseMilliseconds = 1000;

struct Client {
  SocketHandle socket;
  std::uint32_t peer;
  Clock::time_point opened;
  std::string received;
  bool waiting = false;  // the head is complete, the answer is not
  HttpRequest request;
  Clock::time_point waitingSince;
};

long long MillisecondsBetween(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count();
}

// 100 ms, then twice as long per failure in a row, at most 1 s.
class ErrorPause {
 public:
  int Next() {
    const int now = next_;
    next_ = std::min(next_ * 2, kLongestPauseMilliseconds);
    return now;
  }
  void Reset() { next_ = kFirstPauseMilliseconds; }

 private:
  int next_ = kFirstPauseMilliseconds;
};

class Loop {
 public:
  Loop(const ServeLimits& limits, const RequestHandler& handler, const AnswerNotice& notice,
       const StopCheck& stop)
      : limits_(limits),
        handler_(handler),
        notice_(notice),
        stop_(stop),
        lastRequest_(Clock::now()),
        acceptFrom_(lastRequest_) {}

  void Run(SocketHandle listener) {
    while (!Idle() && !(stop_ && stop_())) {
      std::vector<SocketHandle> watched;
      std::vector<std::size_t> watchedClient;
      for (std::size_t i = 0; i < clients_.size(); ++i)
        if (!clients_[i].waiting) {
          watched.push_back(clients_[i].socket);
          watchedClient.push_back(i);
        }
      const bool accepting = Clock::now() >= acceptFrom_;
      if (accepting) watched.push_back(listener);
      std::vector<bool> ready;
      if (!WaitReadable(watched, Slice(), ready)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(waitPause_.Next()));
        continue;
      }
      waitPause_.Reset();
      for (std::size_t k = 0; k < watchedClient.size(); ++k) {
        Client& c = clients_[watchedClient[k]];
        if (ready[k] ? Read(c) : Expired(c)) c.socket = kNoSocket;
      }
      for (Client& c : clients_)
        if (c.waiting && c.socket != kNoSocket && TryAnswer(c)) c.socket = kNoSocket;
      Forget();
      if (accepting && ready.back()) AcceptSome(listener);
    }
    for (const Client& c : clients_) CloseSocket(c.socket);
  }

 private:
  bool Idle() const {
    return limits_.idleExitSeconds > 0 &&
           MillisecondsBetween(lastRequest_, Clock::now()) >= limits_.idleExitSeconds * 1000LL;
  }

  int Slice() const {
    for (const Client& c : clients_)
      if (c.waiting) return kWaitingSliceMilliseconds;
    const long long untilAccept = MillisecondsBetween(Clock::now(), acceptFrom_);
    return untilAccept > 0
               ? static_cast<int>(std::min<long long>(untilAccept, kWaitSliceMilliseconds))
               : kWaitSliceMilliseconds;
  }

  void Forget() {
    clients_.erase(std::remove_if(clients_.begin(), clients_.end(),
                                  [](const Client& c) { return c.socket == kNoSocket; }),
                   clients_.end());
  }

  void AcceptSome(SocketHandle listener) {
    for (int n = 0; n < kAcceptsPerTurn; ++n) {
      SocketHandle s = kNoSocket;
      std::uint32_t peer = 0;
      const AcceptStatus status = AcceptConnection(listener, s, peer);
      if (status == AcceptStatus::NothingWaiting) break;
      if (status == AcceptStatus::Failed) {
        // Out of descriptors the queue stays readable: waiting on it again
        // at once would spin.
        acceptFrom_ = Clock::now() + std::chrono::milliseconds(acceptPause_.Next());
        return;
      }
      acceptPause_.Reset();
      Admit(s, peer);
    }
  }

  // The oldest connection that has not sent its whole head, among those of
  // `peer` or all (nullptr).
  Client* OldestUnfinished(const std::uint32_t* peer) {
    Client* oldest = nullptr;
    for (Client& c : clients_)
      if (!c.waiting && c.socket != kNoSocket && (!peer || c.peer == *peer) &&
          (!oldest || c.opened < oldest->opened))
        oldest = &c;
    return oldest;
  }

  bool MakeRoom(const std::uint32_t* peer, int limit) {
    int count = 0;
    for (const Client& c : clients_)
      if (c.socket != kNoSocket && (!peer || c.peer == *peer)) ++count;
    if (count < limit) return true;
    Client* victim = OldestUnfinished(peer);
    if (!victim) return false;
    CloseSocket(victim->socket);
    victim->socket = kNoSocket;
    return true;
  }

  // Full, the loop drops its oldest unfinished head rather than turn the
  // newcomer away: silent sockets cannot hold the door shut.
  void Admit(SocketHandle s, std::uint32_t peer) {
    if (!MakeRoom(&peer, limits_.maxPerAddress) || !MakeRoom(nullptr, limits_.maxConnections)) {
      CloseSocket(s);
      return;
    }
    Forget();
    clients_.push_back(Client{s, peer, Clock::now(), std::string(), false, HttpRequest(), {}});
    // A client's head has usually arrived with its connection; reading it
    // now keeps it from being taken for a silent one.
    if (Read(clients_.back())) clients_.pop_back();
  }

  // True when the client is done with (answered or gone).
  bool Read(Client& c) {
    char chunk[kReceiveChunk];
    const int got = ReceiveBytes(c.socket, chunk, sizeof chunk);
    if (got == kNothingYet) return Expired(c);
    if (got <= 0) {
      CloseSocket(c.socket);
      return true;
    }
    c.received.append(chunk, static_cast<std::size_t>(got));
    switch (ReadRequestHead(c.received, c.request)) {
      case RequestState::Incomplete:
        return Expired(c);
      case RequestState::Complete:
        c.waiting = true;
        c.waitingSince = Clock::now();
        return TryAnswer(c);
      case RequestState::Malformed:
        Answer(c, StatusAnswer(400), "", true);
        return true;
      case RequestState::TooLarge:
        Answer(c, StatusAnswer(431), "", true);
        return true;
    }
    return true;
  }

  bool TryAnswer(Client& c) {
    const long long waited = MillisecondsBetween(c.waitingSince, Clock::now());
    std::optional<HttpAnswer> answer = handler_(c.request, static_cast<int>(waited));
    if (!answer && waited >= limits_.answerMilliseconds) answer = StatusAnswer(503);
    if (!answer) return false;
    Answer(c, *answer, c.request.target, c.request.method != "HEAD");
    return true;
  }

  bool Expired(Client& c) {
    if (MillisecondsBetween(c.opened, Clock::now()) < limits_.requestMilliseconds) return false;
    // A silent client is not a request: it does not keep the gateway alive.
    SendBytes(c.socket, AnswerBytes(StatusAnswer(408)), limits_.sendMilliseconds);
    CloseSocket(c.socket);
    return true;
  }

  void Answer(Client& c, const HttpAnswer& answer, const std::string& target, bool withBody) {
    SendBytes(c.socket, AnswerBytes(answer, withBody), limits_.sendMilliseconds);
    CloseSocket(c.socket);
    lastRequest_ = Clock::now();
    if (notice_) notice_(answer.status, target);
  }

  const ServeLimits& limits_;
  const RequestHandler& handler_;
  const AnswerNotice& notice_;
  const StopCheck& stop_;
  Clock::time_point lastRequest_;
  Clock::time_point acceptFrom_;
  ErrorPause acceptPause_, waitPause_;
  std::vector<Client> clients_;
};

}  // namespace

void ServeConnections(SocketHandle listener, const ServeLimits& limits,
                      const RequestHandler& handler, const AnswerNotice& notice,
                      const StopCheck& stop) {
  Loop(limits, handler, notice, stop).Run(listener);
}
