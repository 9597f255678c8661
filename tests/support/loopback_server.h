#pragma once
// A scripted HTTP server on 127.0.0.1 inside the test process (Windows
// only): it listens on an ephemeral port (or a fixed one), reads each request, then plays a
// script that can send exact bytes, split them, pause, hold the line silent
// or close early. Connections are served one after another on one thread.

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class LoopbackConnection {
 public:
  LoopbackConnection(uintptr_t socket, const std::atomic<bool>* stop)
      : socket_(socket), stop_(stop) {}

  // The request as read before the script started (up to the blank line).
  const std::string& Request() const { return request_; }

  void Send(const std::string& bytes);
  // Sends in pieces of pieceSize bytes with a pause after each piece.
  void SendInPieces(const std::string& bytes, size_t pieceSize, int pauseMilliseconds);
  void Pause(int milliseconds);
  // Sends nothing until the client closes (or the server stops, or the
  // bound passes).
  void HoldSilent(int maxMilliseconds = 20000);
  // Sends bytes as fast as the client takes them until it closes or the
  // bound passes; the number of bytes sent.
  uint64_t Flood(char fill, int maxMilliseconds = 20000);
  // Ends the connection with no more bytes (the script may also just return).
  void Close();

  bool ReadRequest(int maxMilliseconds);
  bool closed() const { return closed_; }

 private:
  uintptr_t socket_;
  const std::atomic<bool>* stop_;
  std::string request_;
  bool closed_ = false;
};

using ConnectionScript = std::function<void(LoopbackConnection&)>;

class LoopbackServer {
 public:
  // Every accepted connection plays the same script. Port 0 picks a free one.
  explicit LoopbackServer(ConnectionScript script, uint16_t port = 0);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  bool Listening() const { return port_ != 0; }
  uint16_t Port() const { return port_; }
  // "http://127.0.0.1:<port>" followed by path (which should start with '/').
  std::string Url(const std::string& path) const;
  // The requests received so far, in order.
  std::vector<std::string> Requests() const;
  int Connections() const;

 private:
  void Run();

  ConnectionScript script_;
  uintptr_t listener_;
  uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  mutable std::mutex mutex_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

// True when the socket can be read (data or end of stream) within the wait.
bool Readable(uintptr_t socket, int milliseconds);

// A script that sends the whole response at once and closes.
ConnectionScript RespondWith(const std::string& response);
