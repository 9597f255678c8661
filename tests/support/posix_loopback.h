#pragma once
// Loopback HTTP for the native tests (POSIX only): a fake upstream that
// answers each connection on a thread of its own, so one can hang while
// others are answered, and a plain client that reads the whole answer.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct UpstreamReply {
  std::string bytes;          // the whole response
  int holdMilliseconds = 0;   // silence before it (cut short when the server stops)
};

// Given the request head, what to answer.
using UpstreamScript = std::function<UpstreamReply(const std::string& request)>;

class FakeUpstream {
 public:
  explicit FakeUpstream(UpstreamScript script);
  ~FakeUpstream();
  FakeUpstream(const FakeUpstream&) = delete;
  FakeUpstream& operator=(const FakeUpstream&) = delete;

  uint16_t Port() const { return port_; }
  std::string Url(const std::string& path) const;
  int Hits() const { return hits_; }

 private:
  void Accept();
  void Serve(int socket);

  UpstreamScript script_;
  int listener_ = -1;
  uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> hits_{0};
  std::mutex mutex_;
  std::vector<std::thread> threads_;
  std::thread acceptor_;
};

// A 200 answer with a JSON body.
UpstreamReply JsonReply(const std::string& body);

struct LoopbackReply {
  int status = 0;
  std::string head;
  std::string body;
};

// Sends the bytes to 127.0.0.1:port and reads until the server closes, at
// most `limitMilliseconds`.
LoopbackReply LoopbackExchange(uint16_t port, const std::string& bytes,
                               int limitMilliseconds = 20000);
LoopbackReply LoopbackGet(uint16_t port, const std::string& path);

// A connected socket to 127.0.0.1:port, or -1.
int ConnectLoopback(uint16_t port);
// A port nothing listens on just now.
uint16_t FreeLoopbackPort();
// True once something accepts connections on the port, within the bound.
bool WaitForListener(uint16_t port, int limitMilliseconds);
